#include "data/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
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

// The file a write replaces.  A symbolic link is followed, so the link stays
// and the file it points to gets the new content.
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
            if (e.GetOsError() != Platform::ERROR_FILE_EXISTS || attempt >= 8)
                throw;
        }
    }
}

} // namespace

void Write(const std::u16string& path, const std::function<void(StreamIO::CIoStream&)>& writeContent)
{
    const std::string target = ResolveTarget(Platform::ToUtf8(ProjectPaths::StreamPath(path)));
    std::string tempName;
    bool created = false;
    uint32_t error = Platform::ERROR_SUCCESS;
    try {
        std::unique_ptr<StreamIO::CIoStream> stream = CreateTempFile(target, tempName);
        created = true;
        writeContent(*stream);
        stream->Close(); // flushes to the disk first
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_WRITE_FAULT;
    } catch (const std::bad_alloc&) {
        error = Platform::ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception&) {
        error = Platform::ERROR_WRITE_FAULT;
    }

    if (error == Platform::ERROR_SUCCESS) {
        // The new file keeps the permissions of the one it replaces.
        struct stat st;
        if (::stat(target.c_str(), &st) == 0)
            ::chmod(tempName.c_str(), st.st_mode & 07777);
        if (std::rename(tempName.c_str(), target.c_str()) != 0)
            error = Platform::ErrorFromErrno(errno);
        else
            SyncFolder(target);
    }
    if (error != Platform::ERROR_SUCCESS) {
        if (created)
            ::unlink(tempName.c_str());
        Platform::ThrowFileException(error, path);
    }
}

} // namespace AtomicFile
