// SPDX-License-Identifier: GPL-3.0-or-later
// Files that must not outlive the program when SIGINT or SIGTERM ends it:
// temporary files being filled or waiting for their rename.  The signal
// handler removes them and ends the program by the same signal, as it would
// have ended without the handler.  A program that ignores or handles these
// signals itself keeps its dispositions (nothing is installed over them).
// SIGKILL cannot be caught: what it leaves is removed by the next run that
// finds it (each writer removes the temporaries of dead processes).
#pragma once

#include <string>

namespace Platform {

// Adds `path` to the files removed on SIGINT or SIGTERM.  Up to eight are
// kept at a time; false (and nothing kept) beyond that or for a name longer
// than PATH_MAX.
bool RemoveOnSignal(const std::string& path);

// Takes `path` off the list (it was renamed or removed by the program).
void ForgetOnSignal(const std::string& path);

} // namespace Platform
