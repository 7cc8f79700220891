// SPDX-License-Identifier: GPL-3.0-or-later
// A request to stop the program (SIGINT, SIGTERM) that long waits honour:
// a wait for a lock or a slow device asks StopRequested() between its
// slices and gives up when it answers true.
#pragma once

namespace Platform {

// Marks the stop; safe to call from a signal handler.
void RequestStop();

// True once RequestStop was called, or while SIGINT or SIGTERM is pending
// because the program blocks them to take them on a thread of its own (the
// simulator does).
bool StopRequested();

} // namespace Platform
