// SPDX-License-Identifier: GPL-3.0-or-later
// Standard output of brelmora-cli.  Every result goes through these
// functions, so a write that fails (a full disk, /dev/full, a pipe whose
// reader is gone) is remembered with its cause and the command ends with
// exit 3 instead of reporting success for output nobody got.
#pragma once

#include <cstddef>
#include <string>

namespace Cli {

// printf to standard output.
void Out(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Raw bytes to standard output.
void OutBytes(const void* data, size_t size);
// Flushes standard output (so lines printed during a long command reach a
// pipe at once).
void FlushOut();

// Flushes standard output at the end of a command.  When anything written
// to it failed, says so on standard error and returns exitCannotWrite if
// `rc` reported success; `rc` otherwise.
int FinishOutput(int rc);

} // namespace Cli
