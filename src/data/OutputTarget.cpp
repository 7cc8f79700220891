// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/OutputTarget.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "data/AtomicFile.h"
#include "platform/ErrorCodes.h"
#include "platform/FileIdentity.h"
#include "platform/RegistryFile.h"

namespace OutputTarget {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

uint32_t Check(const std::string& path)
{
    if (path.empty())
        return Platform::ERROR_PATH_NOT_FOUND;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ELOOP ? Platform::ERROR_CANT_RESOLVE_FILENAME : Platform::ErrorFromErrno(errno);
    const std::string target = AtomicFile::ResolveTarget(path);
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return Platform::ERROR_ACCESS_DENIED;
        if (!S_ISREG(st.st_mode))
            return Platform::ERROR_BAD_FILE_TYPE;
        if ((st.st_mode & 0222) == 0)
            return Platform::ERROR_ACCESS_DENIED;
    } else if (errno == ELOOP) {
        return Platform::ERROR_CANT_RESOLVE_FILENAME;
    } else if (errno != ENOENT) {
        return Platform::ErrorFromErrno(errno);
    }
    const std::string folder = FolderOf(target);
    if (::stat(folder.c_str(), &st) != 0)
        return errno == ELOOP ? Platform::ERROR_CANT_RESOLVE_FILENAME : Platform::ERROR_PATH_NOT_FOUND;
    if (!S_ISDIR(st.st_mode))
        return Platform::ERROR_PATH_NOT_FOUND;
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return Platform::ErrorFromErrno(errno);
    return Platform::ERROR_SUCCESS;
}

bool IsSettingsFile(const std::string& path)
{
    const std::string settings = Platform::RegistryFilePath();
    return !path.empty() && !settings.empty() &&
           (Platform::IsSameFile(path, settings) || Platform::IsSameFile(path, settings + ".lock"));
}

} // namespace OutputTarget
