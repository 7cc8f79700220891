// SPDX-License-Identifier: GPL-3.0-or-later
// The file behind the registry store: where it lives, how it is read, and
// how a change is written so that concurrent writers never lose each
// other's values.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/RegistryDocument.h"

namespace Platform {

// $BRELMORA_REGISTRY when set, else $XDG_CONFIG_HOME/vantor/registry.reg
// (an absolute $XDG_CONFIG_HOME only), else ~/.config/vantor/registry.reg.
// Evaluated on every call.
std::string RegistryFilePath();

// Reads and parses the file.  0; ERROR_FILE_NOT_FOUND (2) when there is no
// file (the document is then empty); ERROR_INVALID_DATA (13) when the file is
// not a registry file or is implausibly large; ERROR_ACCESS_DENIED (5) when it
// cannot be read.
uint32_t ReadRegistryFile(const std::string& path, CRegDocument& doc);

// The same, without a copy: the parsed store is kept and handed out again
// while the file is unchanged (same device, inode, size, modification and
// change times), so repeated queries cost a stat, not a parse.  Never null.
std::shared_ptr<const CRegDocument> ReadRegistryShared(const std::string& path, uint32_t& rc);

// How long a change waits for another program's lock on the file before it
// gives up with ERROR_LOCK_VIOLATION (default 5000 ms).  A stop request
// (SIGINT, SIGTERM) ends the wait at once with ERROR_OPERATION_ABORTED.
void SetRegistryLockTimeout(int milliseconds);

// The state of the settings file now: 0 readable (or absent, which is an
// empty store), ERROR_INVALID_DATA (13) damaged, ERROR_ACCESS_DENIED (5)
// unreadable.  `path` receives the file's path.
uint32_t CheckRegistryFile(std::string& path);

// Applies a change under the file's lock: takes an exclusive advisory lock
// on "<file>.lock", reads the file afresh (a missing file is an empty
// registry), runs `change`, and when it reports a change writes the result
// to a temporary file in the same folder, flushes it to disk and renames it
// over the file.  `change` returns an error number (0 to go on) and sets
// `changed`.  A damaged file gives ERROR_INVALID_DATA and is left untouched;
// a file or folder that cannot be written gives ERROR_ACCESS_DENIED (5), a
// full disk ERROR_DISK_FULL; a lock held elsewhere for longer than the lock
// timeout ERROR_LOCK_VIOLATION.  Missing folders are created.
uint32_t UpdateRegistryFile(const std::string& path,
                            const std::function<uint32_t(CRegDocument& doc, bool& changed)>& change);

} // namespace Platform
