// SPDX-License-Identifier: GPL-3.0-or-later
// The file system as the layers above see it: what a path is, its folder,
// whether a folder takes new files, where links lead, and temporary files.
// Paths are UTF-8; failures are errno values (0: none), which the callers
// turn into their own error numbers or messages.
#pragma once

#include <cstdint>
#include <string>

namespace Platform {

enum class EFileType {
    Missing,        // nothing there (or not reachable: see SFileStatus::error)
    Regular,
    Folder,
    Link,           // only from StatLink: a symbolic link itself
    Pipe,
    Device,         // character or block device
    Socket,
};

struct SFileStatus {
    EFileType type = EFileType::Missing;
    int error = 0;              // errno of a failed look-up
    uint64_t size = 0;
    uint32_t mode = 0;          // permission bits (07777)

    bool Exists() const { return type != EFileType::Missing; }
    // Any write bit, for anybody: the counterpart of the read-only
    // attribute, which binds the superuser too.
    bool HasWriteBit() const { return (mode & 0222) != 0; }
};

// What `path` is, links followed.
SFileStatus StatPath(const std::string& path);
// What `path` is, a final symbolic link not followed.
SFileStatus StatLink(const std::string& path);

bool IsFolder(const std::string& path);
bool IsRegularFile(const std::string& path);
bool IsSymbolicLink(const std::string& path);

// The folder of a file path: the part before the last "/", "/" for a file
// in the root, "." for a bare name.
std::string FolderOf(const std::string& path);

// Why `folder` cannot take a new file by the read-only rule: the look-up's
// errno, ENOTDIR for something that is no folder, EACCES for a folder
// without any write bit; 0 otherwise.  This user's own permission is not
// asked (see MayWrite).
int FolderWriteProblem(const std::string& folder);

// This user may write to `path` (and, with `enter`, search it as a
// folder); else the errno that says why not.
int MayWrite(const std::string& path, bool enter = false);

// Where `path` leads, every link followed and made absolute; empty when it
// leads nowhere or in a circle (errno in `error` when given).
std::string ResolveLinks(const std::string& path, int* error = nullptr);

// Follows a final symbolic link of `path`; any other path, or a link that
// leads nowhere, comes back as it is.
std::string FollowLink(const std::string& path);

// Creates a new file named `prefix` followed by six random characters, open
// for reading and writing (close-on-exec, mode 0600).  Returns the
// descriptor and sets `name`, or -1 with errno.
int CreateTemporaryFile(const std::string& prefix, std::string& name);

// Makes a rename or a new file in the folder of `file` durable (best
// effort: not every file system supports it).
void SyncFolderOf(const std::string& file);

} // namespace Platform
