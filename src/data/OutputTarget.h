// SPDX-License-Identifier: GPL-3.0-or-later
// The checks an output's name passes before any work starts, so a command
// that cannot write its result fails at once instead of after the work, and
// every front end applies the same rules.
#pragma once

#include <cstdint>
#include <string>

namespace OutputTarget {

// 0 when a file can be written at `path` (as AtomicFile writes it), else
// the Win32 error number of the reason:
// - a symbolic link that leads to nothing, or a loop of links:
//   ERROR_CANT_RESOLVE_FILENAME (the same rule for every output);
// - a folder, or an existing file without any write bit: ERROR_ACCESS_DENIED;
// - a device, pipe or socket: ERROR_BAD_FILE_TYPE;
// - a folder that does not exist: ERROR_PATH_NOT_FOUND; one that cannot be
//   written: its errno's number.
uint32_t Check(const std::string& path);

// True when `path` names the program's settings file or its lock file
// (another spelling or a link included): no output may replace them.
bool IsSettingsFile(const std::string& path);

} // namespace OutputTarget
