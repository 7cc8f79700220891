#include "data/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "data/ProjectPaths.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace AtomicFile {

namespace {

std::atomic<unsigned> g_tempCounter{0};

// Makes the rename durable (best effort: not every file system supports it).
void SyncFolder(const std::string& file)
{
    const size_t sep = file.rfind('/');
    const std::string folder = sep == std::string::npos ? "." : sep == 0 ? "/" : file.substr(0, sep);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Creates a new temporary file beside the target (never an existing one);
// retries when the name is taken.
std::unique_ptr<StreamIO::CIoStream> CreateTempFile(const std::string& target, std::string& tempName)
{
    const uint32_t flags = StreamIO::SF_READ | StreamIO::SF_WRITE | StreamIO::SF_CREATE_NEW |
                           StreamIO::SF_SHARE_READ;
    for (int attempt = 0;; ++attempt) {
        tempName = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++g_tempCounter);
        try {
            return StreamIO::OpenStream(Platform::FromUtf8(tempName), flags);
        } catch (const Platform::CFileException& e) {
            tempName.clear();
            if (e.GetOsError() != Platform::ERROR_FILE_EXISTS || attempt >= 8)
                throw;
        }
    }
}

} // namespace

std::string ResolveTarget(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return path;
}

CPendingFile::CPendingFile(const std::u16string& path, const Writer& writeContent)
    : m_path(path), m_target(ResolveTarget(Platform::ToUtf8(ProjectPaths::StreamPath(path))))
{
    uint32_t error = Platform::ERROR_SUCCESS;
    try {
        std::unique_ptr<StreamIO::CIoStream> stream = CreateTempFile(m_target, m_temp);
        writeContent(*stream);
        stream->Close(); // flushes to the disk first
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_WRITE_FAULT;
    } catch (const std::bad_alloc&) {
        error = Platform::ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception&) {
        error = Platform::ERROR_WRITE_FAULT;
    }
    if (error != Platform::ERROR_SUCCESS) {
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
        m_temp.clear();
        Platform::ThrowFileException(error, m_path);
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat st;
    if (::stat(m_target.c_str(), &st) == 0)
        ::chmod(m_temp.c_str(), st.st_mode & 07777);
}

CPendingFile::~CPendingFile()
{
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

void CPendingFile::Commit()
{
    if (m_temp.empty())
        Platform::ThrowFileException(Platform::ERROR_INVALID_HANDLE, m_path);
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0)
        Platform::ThrowFileException(Platform::ErrorFromErrno(errno), m_path);
    m_temp.clear();
    SyncFolder(m_target);
}

void Write(const std::u16string& path, const Writer& writeContent)
{
    CPendingFile file(path, writeContent);
    file.Commit();
}

void WriteBytes(const std::u16string& path, const uint8_t* data, size_t size)
{
    Write(path, [data, size](StreamIO::CIoStream& stream) {
        size_t done = 0;
        while (done < size) {
            const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(size - done, 1u << 20));
            const uint32_t n = stream.Write(data + done, chunk);
            if (n == 0)
                Platform::ThrowFileException(stream.GetError() ? stream.GetError() : 29, stream.GetName());
            done += n;
        }
    });
}

} // namespace AtomicFile
