// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryFile.h"

#include "platform/ErrorCodes.h"
#include "platform/StopRequest.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace Platform {

namespace {

// A settings file never comes near this; anything larger is not ours.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

class FdGuard {
public:
    explicit FdGuard(int fd) : m_fd(fd) {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

uint32_t WriteError(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    default: return ErrorFromErrno(err);
    }
}

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result != nullptr && pw.pw_dir != nullptr)
        return pw.pw_dir;
    return {};
}

// The file a write must replace: the target of a symbolic link, so that the
// link itself stays in place.
std::string ResolveTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string out(real);
            std::free(real);
            return out;
        }
    }
    return path;
}

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// mkdir -p with owner-only access for the folders it creates.
int MakeFolders(const std::string& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    size_t pos = dir.front() == '/' ? 1 : 0;
    while (true) {
        const size_t slash = dir.find('/', pos);
        const std::string part = dir.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            break;
        pos = slash + 1;
    }
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// What identifies one version of the file: a writer that replaces it makes a
// new inode; one that edits it in place changes its times or size.
struct SFileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    explicit SFileStamp(const struct stat& st = {})
        : device(st.st_dev), inode(st.st_ino), size(st.st_size), modified(st.st_mtim), changed(st.st_ctim)
    {
    }
    bool operator==(const SFileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

// The file's times have the kernel's coarse clock: a file changed within
// this much of being read might change again with the same stamp, so its
// parse is not kept.
constexpr int64_t kRacyNanoseconds = 100'000'000;

bool IsRacy(const timespec& stamp)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t age = (static_cast<int64_t>(now.tv_sec) - stamp.tv_sec) * 1'000'000'000 + (now.tv_nsec - stamp.tv_nsec);
    return age < kRacyNanoseconds;
}

struct SStoreCache {
    std::mutex lock;
    std::string path;
    SFileStamp stamp;
    uint32_t rc = ERROR_FILE_NOT_FOUND;
    std::shared_ptr<const CRegDocument> doc;
};

SStoreCache& Cache()
{
    static SStoreCache cache;
    return cache;
}

std::atomic<int> g_lockTimeoutMs{5000};

const std::shared_ptr<const CRegDocument>& EmptyStore()
{
    static const std::shared_ptr<const CRegDocument> empty = std::make_shared<CRegDocument>();
    return empty;
}

// Takes the exclusive lock on `fd`, waiting in short slices up to the lock
// timeout and giving up at once on a stop request.
uint32_t LockExclusive(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_lockTimeoutMs.load());
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return ERROR_LOCK_VIOLATION;
        if (StopRequested())
            return ERROR_OPERATION_ABORTED;
        if (std::chrono::steady_clock::now() >= deadline)
            return ERROR_LOCK_VIOLATION;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ERROR_SUCCESS;
}

uint32_t ReadBytes(const std::string& path, std::string& bytes, struct stat& st)
{
    bytes.clear();
    // O_NONBLOCK: a FIFO placed at the path must not hang the program.
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return ERROR_FILE_NOT_FOUND;
        return err == EACCES || err == EPERM ? ERROR_ACCESS_DENIED : ErrorFromErrno(err);
    }
    if (::fstat(fd.get(), &st) != 0)
        return ErrorFromErrno(errno);
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
        return ERROR_INVALID_DATA;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ErrorFromErrno(errno);
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<size_t>(n));
        if (bytes.size() > static_cast<size_t>(kMaxFileSize))
            return ERROR_INVALID_DATA;
    }
    return ERROR_SUCCESS;
}

uint32_t WriteAtomically(const std::string& target, const std::string& bytes)
{
    mode_t mode = 0600;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        mode = st.st_mode & 07777;

    std::string name = target + ".XXXXXX";
    std::vector<char> tmpl(name.begin(), name.end());
    tmpl.push_back('\0');
    FdGuard fd(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return WriteError(errno);
    const std::string tmpPath(tmpl.data());
    const auto fail = [&](int err) {
        ::unlink(tmpPath.c_str());
        return WriteError(err);
    };
    if (::fchmod(fd.get(), mode) != 0) {
        // Keep the owner-only mode of the temporary file.
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (::close(fd.release()) != 0)
        return fail(errno);
    if (::rename(tmpPath.c_str(), target.c_str()) != 0)
        return fail(errno);
    // Make the rename itself durable.
    FdGuard dir(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return ERROR_SUCCESS;
}

} // namespace

std::string RegistryFilePath()
{
    const char* explicitPath = std::getenv("BRELMORA_REGISTRY");
    if (explicitPath != nullptr && *explicitPath != '\0')
        return explicitPath;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/vantor/registry.reg";
    const std::string home = HomeFolder();
    if (home.empty())
        return {};
    return home + "/.config/vantor/registry.reg";
}

std::shared_ptr<const CRegDocument> ReadRegistryShared(const std::string& path, uint32_t& rc)
{
    rc = ERROR_FILE_NOT_FOUND;
    if (path.empty())
        return EmptyStore();
    SStoreCache& cache = Cache();
    struct stat now {};
    if (::stat(path.c_str(), &now) == 0) {
        std::lock_guard<std::mutex> guard(cache.lock);
        if (cache.doc && cache.path == path && cache.stamp == SFileStamp(now)) {
            rc = cache.rc;
            return cache.doc;
        }
    }
    std::string bytes;
    struct stat st {};
    rc = ReadBytes(path, bytes, st);
    if (rc != ERROR_SUCCESS)
        return EmptyStore();
    auto doc = std::make_shared<CRegDocument>();
    if (!doc->Parse(bytes)) {
        rc = ERROR_INVALID_DATA;
        doc = std::make_shared<CRegDocument>();
    }
    if (!IsRacy(st.st_mtim)) {
        std::lock_guard<std::mutex> guard(cache.lock);
        cache.path = path;
        cache.stamp = SFileStamp(st);
        cache.rc = rc;
        cache.doc = doc;
    }
    return doc;
}

uint32_t ReadRegistryFile(const std::string& path, CRegDocument& doc)
{
    uint32_t rc = ERROR_FILE_NOT_FOUND;
    doc = *ReadRegistryShared(path, rc);
    return rc;
}

uint32_t CheckRegistryFile(std::string& path)
{
    path = RegistryFilePath();
    uint32_t rc = ERROR_SUCCESS;
    ReadRegistryShared(path, rc);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

void SetRegistryLockTimeout(int milliseconds)
{
    g_lockTimeoutMs.store(milliseconds < 0 ? 0 : milliseconds);
}

uint32_t UpdateRegistryFile(const std::string& path,
                            const std::function<uint32_t(CRegDocument& doc, bool& changed)>& change)
{
    if (path.empty())
        return ERROR_PATH_NOT_FOUND;
    const std::string target = ResolveTarget(path);
    if (const int err = MakeFolders(ParentFolder(target)); err != 0)
        return WriteError(err);

    FdGuard lock(::open((target + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (lock.get() < 0)
        return WriteError(errno);
    if (const uint32_t rc = LockExclusive(lock.get()); rc != ERROR_SUCCESS)
        return rc;
    // The lock is released when `lock` closes the descriptor.

    uint32_t rc = ERROR_SUCCESS;
    CRegDocument doc = *ReadRegistryShared(target, rc);
    if (rc == ERROR_FILE_NOT_FOUND)
        rc = ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS)
        return rc;
    bool changed = false;
    rc = change(doc, changed);
    if (rc != ERROR_SUCCESS || !changed)
        return rc;
    // The next read would refuse a file beyond the size limit as damaged:
    // such a change fails (223) and leaves the file as it was.
    const std::string bytes = doc.Serialize();
    if (bytes.size() > static_cast<size_t>(kMaxFileSize))
        return ERROR_FILE_TOO_LARGE;
    return WriteAtomically(target, bytes);
}

} // namespace Platform
