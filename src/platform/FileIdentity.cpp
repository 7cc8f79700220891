// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileIdentity.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

namespace fs = std::filesystem;

// Follows symbolic links of the last component by hand (at most 40, as the
// kernel does), so a link to a file that does not exist yet leads to it.
fs::path FollowLinks(fs::path p)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            return p;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec)
            return p;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p;
}

} // namespace

std::string NormalisedPath(const std::string& path)
{
    if (path.empty())
        return std::string();
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec)
        p = fs::path(path);
    p = FollowLinks(p.lexically_normal());
    const fs::path canonical = fs::weakly_canonical(p, ec);
    return (ec ? p : canonical).lexically_normal().string();
}

bool IsSameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    struct stat sa, sb;
    const bool haveA = ::stat(a.c_str(), &sa) == 0;
    const bool haveB = ::stat(b.c_str(), &sb) == 0;
    if (haveA && haveB)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (haveA != haveB)
        return false;
    return NormalisedPath(a) == NormalisedPath(b);
}

} // namespace Platform
