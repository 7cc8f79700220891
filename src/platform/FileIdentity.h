// SPDX-License-Identifier: GPL-3.0-or-later
// Whether two file names lead to the same file: the same device and inode
// when both exist (so another spelling, a symbolic link or a hard link is
// recognised), the same normalised absolute path when either does not exist
// yet (a file about to be created).
#pragma once

#include <string>

namespace Platform {

// The path made absolute from the working folder, with the folders that
// exist resolved to their real names (symbolic links followed), "." and ".."
// removed.  A final component that is a symbolic link is followed too, so a
// link that leads to a file not created yet names that file.
std::string NormalisedPath(const std::string& path);

// True when `a` and `b` name the same file (see above).  Empty names are
// never the same as anything.
bool IsSameFile(const std::string& a, const std::string& b);

} // namespace Platform
