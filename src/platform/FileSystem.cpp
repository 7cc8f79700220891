// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Platform {

namespace {

EFileType TypeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EFileType::Regular;
    if (S_ISDIR(mode))
        return EFileType::Folder;
    if (S_ISLNK(mode))
        return EFileType::Link;
    if (S_ISFIFO(mode))
        return EFileType::Pipe;
    if (S_ISSOCK(mode))
        return EFileType::Socket;
    return EFileType::Device;
}

SFileStatus StatusOf(int rc, const struct stat& st)
{
    SFileStatus status;
    if (rc != 0) {
        status.error = errno;
        return status;
    }
    status.type = TypeOf(st.st_mode);
    status.size = static_cast<uint64_t>(st.st_size);
    status.mode = static_cast<uint32_t>(st.st_mode & 07777);
    return status;
}

} // namespace

SFileStatus StatPath(const std::string& path)
{
    struct stat st {};
    const int rc = ::stat(path.c_str(), &st);
    return StatusOf(rc, st);
}

SFileStatus StatLink(const std::string& path)
{
    struct stat st {};
    const int rc = ::lstat(path.c_str(), &st);
    return StatusOf(rc, st);
}

bool IsFolder(const std::string& path)
{
    return StatPath(path).type == EFileType::Folder;
}

bool IsRegularFile(const std::string& path)
{
    return StatPath(path).type == EFileType::Regular;
}

bool IsSymbolicLink(const std::string& path)
{
    return StatLink(path).type == EFileType::Link;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

int FolderWriteProblem(const std::string& folder)
{
    const SFileStatus status = StatPath(folder);
    if (!status.Exists())
        return status.error;
    if (status.type != EFileType::Folder)
        return ENOTDIR;
    return status.HasWriteBit() ? 0 : EACCES;
}

int MayWrite(const std::string& path, bool enter)
{
    return ::access(path.c_str(), enter ? W_OK | X_OK : W_OK) == 0 ? 0 : errno;
}

std::string ResolveLinks(const std::string& path, int* error)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        if (error != nullptr)
            *error = errno;
        return std::string();
    }
    std::string resolved = real;
    std::free(real);
    return resolved;
}

std::string FollowLink(const std::string& path)
{
    if (!IsSymbolicLink(path))
        return path;
    std::string resolved = ResolveLinks(path);
    return resolved.empty() ? path : resolved;
}

int CreateTemporaryFile(const std::string& prefix, std::string& name)
{
    std::vector<char> pattern(prefix.begin(), prefix.end());
    for (const char c : std::string("XXXXXX"))
        pattern.push_back(c);
    pattern.push_back('\0');
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        name = pattern.data();
    return fd;
}

void SyncFolderOf(const std::string& file)
{
    const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace Platform
