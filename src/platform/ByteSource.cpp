// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ByteSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"

namespace Platform {

bool CByteSource::ReadBytes(uint64_t offset, uint64_t count, std::vector<uint8_t>& out) const
{
    out.clear();
    if (!Contains(offset, count) || count > SIZE_MAX)
        return false;
    out.resize(static_cast<size_t>(count));
    if (count == 0)
        return true;
    if (!ReadAt(offset, out.data(), out.size())) {
        out.clear();
        return false;
    }
    return true;
}

CFileByteSource::~CFileByteSource()
{
    Close();
}

uint32_t CFileByteSource::Open(const std::string& path)
{
    Close();
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return ErrorFromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return ErrorFromErrno(e);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;
    }
    m_fd = fd;
    m_size = static_cast<uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

void CFileByteSource::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

bool CFileByteSource::ReadAt(uint64_t offset, void* buffer, size_t count) const
{
    if (m_fd < 0 || !Contains(offset, count))
        return false;
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const ssize_t n = ::pread(m_fd, out, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // error, or the file shrank under us
        out += n;
        offset += static_cast<uint64_t>(n);
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool CMemoryByteSource::ReadAt(uint64_t offset, void* buffer, size_t count) const
{
    if (!Contains(offset, count))
        return false;
    if (count > 0)
        std::memcpy(buffer, m_data + offset, count);
    return true;
}

} // namespace Platform
