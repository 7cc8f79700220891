// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/file/TempFileStream.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"

namespace StreamIO {

namespace {

constexpr std::string_view kPrefix = ".brelmora-";
constexpr std::string_view kSuffix = ".tmp";

std::atomic<unsigned> g_counter{0};

// The owner's process id of a hidden name, 0 when the name is not one.
pid_t OwnerOf(std::string_view name)
{
    if (name.size() <= kPrefix.size() + kSuffix.size() || name.substr(0, kPrefix.size()) != kPrefix ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return 0;
    name.remove_prefix(kPrefix.size());
    long pid = 0;
    size_t i = 0;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
        pid = pid * 10 + (name[i] - '0');
        if (pid > 0x7FFFFFFF)
            return 0;
    }
    return i > 0 && i < name.size() && name[i] == '-' ? static_cast<pid_t>(pid) : 0;
}

} // namespace

CTempFileStream::CTempFileStream(const std::string& folder, mode_t mode, const std::u16string& displayName)
    : m_folder(folder.empty() ? std::string(".") : folder)
{
    m_name = displayName;
    m_flags = SF_READ | SF_WRITE;
    int fd = -1;
    do {
        fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        m_unnamed = true;
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        // No unnamed files here: a hidden name from the start.
        for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
            m_path = NewHiddenName();
            fd = ::open(m_path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOCTTY, mode);
            if (fd < 0 && errno != EEXIST && errno != EINTR)
                break;
        }
        if (fd < 0)
            m_path.clear();
    }
    if (fd < 0)
        Platform::ThrowFileException(Platform::ErrorFromErrno(errno), displayName);
    AttachDescriptor(fd);
}

CTempFileStream::~CTempFileStream()
{
    if (!m_published && !m_path.empty())
        ::unlink(m_path.c_str());
}

std::string CTempFileStream::NewHiddenName() const
{
    return m_folder + "/" + std::string(kPrefix) + std::to_string(::getpid()) + "-" +
           std::to_string(++g_counter) + std::string(kSuffix);
}

void CTempFileStream::Sync()
{
    RequireOpen();
    if (::fsync(Descriptor()) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        ThrowError(Platform::ErrorFromErrno(errno));
}

void CTempFileStream::SetMode(mode_t mode)
{
    RequireOpen();
    if (::fchmod(Descriptor(), mode) != 0)
        ThrowError(Platform::ErrorFromErrno(errno));
}

std::string CTempFileStream::Publish()
{
    Sync();
    if (m_unnamed && m_path.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(Descriptor());
        for (int attempt = 0;; ++attempt) {
            const std::string name = NewHiddenName();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_path = name;
                break;
            }
            if (errno != EEXIST || attempt >= 16)
                ThrowError(Platform::ErrorFromErrno(errno));
        }
    }
    m_published = true;
    return m_path;
}

void CTempFileStream::RemoveStale(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return;
    while (dirent* entry = ::readdir(dir)) {
        const pid_t owner = OwnerOf(entry->d_name);
        if (owner <= 0 || owner == ::getpid())
            continue;
        if (::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace StreamIO
