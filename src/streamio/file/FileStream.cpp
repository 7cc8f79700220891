// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/file/FileStream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "platform/Text.h"
#include "streamio/file/FileShareLock.h"

namespace StreamIO {

namespace {

uint32_t LastError()
{
    return Platform::ErrorFromErrno(errno);
}

// fsync answers EINVAL/EROFS for objects that cannot be synchronised (such
// as /dev/null); there is then nothing to push out and no failure.
bool SyncFailed()
{
    return errno != EINVAL && errno != EROFS && errno != ENOTSUP;
}

} // namespace

CFileStream::CFileStream() = default;

CFileStream::CFileStream(const std::u16string& name, uint32_t flags)
{
    Open(name, flags);
}

CFileStream::~CFileStream()
{
    if (m_fd >= 0)
        CloseDescriptor((m_flags & SF_WRITE) != 0);
}

int CFileStream::OpenDescriptor(const std::string& path, int oflags, bool regularOnly, uint32_t& error)
{
    error = 0;
    int fd;
    do {
        fd = ::open(path.c_str(), oflags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = LastError();
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = LastError();
        ::close(fd);
        return -1;
    }
    if (regularOnly && !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = Platform::ERROR_BAD_FILE_TYPE;
        return -1;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = Platform::ERROR_ACCESS_DENIED;
        return -1;
    }
    // Non-blocking only kept the open itself from hanging (a FIFO without a
    // writer, a line without carrier); transfers block as on Windows.
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0) {
        error = LastError();
        ::close(fd);
        return -1;
    }
    return fd;
}

bool CFileStream::Open(const std::u16string& name, uint32_t flags)
{
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    m_name = name;
    m_flags = flags;
    m_error = 0;

    // A NUL would silently cut the path short at the system call.
    if (name.find(u'\0') != std::u16string::npos)
        ThrowError(Platform::ERROR_INVALID_NAME);
    const std::string path = Platform::ToUtf8(name);

    const bool read = (flags & SF_READ) != 0;
    const bool write = (flags & SF_WRITE) != 0;
    const uint32_t creation = flags & SF_CREATION_MASK;
    const bool regularOnly = (flags & SF_REGULAR_FILE) != 0;
    int oflags = 0;
    if (creation == SF_OPEN_ALWAYS || creation == SF_CREATE_ALWAYS)
        oflags |= O_CREAT;
    else if (creation == SF_CREATE_NEW)
        oflags |= O_CREAT | O_EXCL;
    // Create-always truncates only after the share check has admitted us.

    uint32_t error = 0;
    int fd;
    if (write) {
        // Readable where possible, so the share marks can be set (they are
        // read locks); a stream without SF_READ still refuses Read.
        fd = OpenDescriptor(path, oflags | O_RDWR, regularOnly, error);
        if (fd < 0 && !read && error == Platform::ERROR_ACCESS_DENIED)
            fd = OpenDescriptor(path, oflags | O_WRONLY, regularOnly, error);
    } else {
        fd = OpenDescriptor(path, oflags | O_RDONLY, regularOnly, error);
    }
    if (fd < 0)
        ThrowError(error);

    ShareRequest share;
    share.read = read;
    share.write = write;
    share.shareRead = (flags & SF_SHARE_READ) != 0;
    share.shareWrite = (flags & SF_SHARE_WRITE) != 0;
    error = AcquireShareMode(fd, share);
    if (error == 0 && creation == SF_CREATE_ALWAYS && ::ftruncate(fd, 0) != 0)
        error = LastError();
    if (error != 0) {
        ::close(fd);
        ThrowError(error);
    }
    m_fd = fd;
    return true;
}

uint32_t CFileStream::CloseDescriptor(bool sync)
{
    const int fd = m_fd;
    m_fd = -1;
    if (fd < 0)
        return Platform::ERROR_INVALID_HANDLE;
    uint32_t error = 0;
    if (sync && ::fsync(fd) != 0 && SyncFailed())
        error = LastError();
    // On Linux the descriptor is released even when close reports EINTR;
    // retrying could close a descriptor another thread just received.
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = LastError();
    return error;
}

void CFileStream::Close()
{
    m_error = 0;
    RequireOpen();
    const uint32_t error = CloseDescriptor((m_flags & SF_WRITE) != 0);
    if (error != 0)
        ThrowError(error);
}

void CFileStream::Flush()
{
    m_error = 0;
    RequireOpen();
    if ((m_flags & SF_WRITE) != 0 && ::fsync(m_fd) != 0 && SyncFailed())
        ThrowError(LastError());
}

bool CFileStream::GetTimeouts(int& readMs, int& writeMs)
{
    m_error = 0;
    RequireOpen();
    SetError(Platform::ERROR_NOT_SUPPORTED);
    return false;
}

bool CFileStream::SetTimeouts(int readMs, int writeMs)
{
    m_error = 0;
    RequireOpen();
    SetError(Platform::ERROR_NOT_SUPPORTED);
    return false;
}

bool CFileStream::Cancel()
{
    m_error = 0;
    RequireOpen();
    SetError(Platform::ERROR_NOT_SUPPORTED);
    return false;
}

bool CFileStream::IsOpen()
{
    return m_fd >= 0;
}

long CFileStream::ReadOnce(void* buffer, uint32_t count, uint32_t& error)
{
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    error = n < 0 ? LastError() : 0;
    return static_cast<long>(n);
}

long CFileStream::WriteOnce(const void* buffer, uint32_t count, uint32_t& error)
{
    ssize_t n;
    do {
        n = ::write(m_fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    error = n < 0 ? LastError() : 0;
    return static_cast<long>(n);
}

bool CFileStream::BeginTransfer(const void* buffer, uint32_t count, uint32_t access, uint32_t accessError)
{
    m_error = 0;
    if ((m_flags & access) == 0)
        ThrowError(accessError);
    RequireOpen();
    if (count == 0)
        return false;
    if (buffer == nullptr)
        ThrowError(Platform::ERROR_INVALID_PARAMETER);
    return true;
}

template <class Once>
uint32_t CFileStream::MoveAll(uint32_t count, Once once)
{
    uint32_t total = 0;
    while (total < count) {
        uint32_t error = 0;
        const long n = once(total, error);
        if (n < 0)
            ThrowError(error);
        if (n == 0)
            break;
        total += static_cast<uint32_t>(n);
    }
    return total;
}

uint32_t CFileStream::Read(void* buffer, uint32_t count)
{
    if (!BeginTransfer(buffer, count, SF_READ, Platform::ERROR_READ_FAULT))
        return 0;
    // A disk file delivers the whole count unless the end comes first; one
    // read() may return less for very large counts, so go on until then.
    uint8_t* out = static_cast<uint8_t*>(buffer);
    const uint32_t total = MoveAll(count, [&](uint32_t done, uint32_t& error) {
        return ReadOnce(out + done, count - done, error);
    });
    if (total == 0)
        SetError(Platform::ERROR_HANDLE_EOF);
    return total;
}

uint32_t CFileStream::Write(const void* buffer, uint32_t count)
{
    if (!BeginTransfer(buffer, count, SF_WRITE, Platform::ERROR_WRITE_FAULT))
        return 0;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    const uint32_t total = MoveAll(count, [&](uint32_t done, uint32_t& error) {
        return WriteOnce(in + done, count - done, error);
    });
    if (total == 0)
        SetError(Platform::ERROR_TIMEOUT);
    return total;
}

bool CFileStream::IsSeekable()
{
    return true;
}

uint32_t CFileStream::GetLength()
{
    m_error = 0;
    RequireOpen();
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        ThrowError(LastError());
    return static_cast<uint32_t>(st.st_size);
}

uint32_t CFileStream::GetPosition()
{
    m_error = 0;
    RequireOpen();
    const off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0)
        ThrowError(LastError());
    return static_cast<uint32_t>(pos);
}

uint32_t CFileStream::Seek(long offset, int origin)
{
    m_error = 0;
    if (origin != ORIGIN_CURRENT && origin != ORIGIN_BEGIN && origin != ORIGIN_END)
        ThrowError(Platform::ERROR_SEEK);
    RequireOpen();
    off_t base = 0;
    if (origin == ORIGIN_CURRENT) {
        base = ::lseek(m_fd, 0, SEEK_CUR);
        if (base < 0)
            ThrowError(LastError());
    } else if (origin == ORIGIN_END) {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            ThrowError(LastError());
        base = st.st_size;
    }
    off_t target = 0;
    if (__builtin_add_overflow(base, static_cast<off_t>(offset), &target))
        ThrowError(offset < 0 ? Platform::ERROR_NEGATIVE_SEEK : Platform::ERROR_INVALID_PARAMETER);
    if (target < 0)
        ThrowError(Platform::ERROR_NEGATIVE_SEEK);
    if (::lseek(m_fd, target, SEEK_SET) < 0)
        ThrowError(LastError());
    return static_cast<uint32_t>(target);
}

uint32_t CFileStream::SetPosition(uint32_t pos)
{
    m_error = 0;
    RequireOpen();
    if (::lseek(m_fd, static_cast<off_t>(pos), SEEK_SET) < 0)
        ThrowError(LastError());
    return pos;
}

void CFileStream::Truncate()
{
    m_error = 0;
    if ((m_flags & SF_WRITE) == 0)
        ThrowError(Platform::ERROR_WRITE_FAULT);
    RequireOpen();
    const off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0)
        ThrowError(LastError());
    int rc;
    do {
        rc = ::ftruncate(m_fd, pos);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        ThrowError(LastError());
}

void CFileStream::RequireOpen()
{
    if (m_fd < 0)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
}

} // namespace StreamIO
