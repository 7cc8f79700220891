// SPDX-License-Identifier: GPL-3.0-or-later
// Windows share modes emulated with advisory open-file-description locks.
//
// Linux does not refuse a second open of a file, so every disk-file stream
// publishes what it does and what it denies as shared (read) locks on four
// marker bytes far beyond any real data:
//
//   kMarkReads         the holder has the file open for reading
//   kMarkWrites        the holder has the file open for writing
//   kMarkDeniesRead    the holder did not give SF_SHARE_READ
//   kMarkDeniesWrite   the holder did not give SF_SHARE_WRITE
//
// A new open first sets its own marks, then asks (F_OFD_GETLK) whether any
// other open holds a mark that rules it out:
//
//   it reads                 and someone denies reading   -> refused
//   it writes                and someone denies writing   -> refused
//   it does not share read   and someone reads            -> refused
//   it does not share write  and someone writes           -> refused
//
// These are the Windows rules.  Marks are set before the check, so two opens
// racing each other can both be refused but never both admitted.  The locks
// belong to the open file description and vanish with its close, also when
// the process dies.  They bind every stream of this program in this and in
// other processes; programs that do not take them are not held back.  Where
// the file system has no such locks, opens are not restricted.
#pragma once

#include <cstdint>

namespace StreamIO {

struct ShareRequest {
    bool read = false;         // the new open reads
    bool write = false;        // the new open writes
    bool shareRead = false;    // others may read
    bool shareWrite = false;   // others may write
};

// Sets the marks of `request` on `fd` and checks them against every other
// open of the file.  Returns 0 when admitted, 32 (sharing violation) when
// another open rules it out.  Marks need `fd` to be readable; on a
// write-only descriptor only the check is made.
uint32_t AcquireShareMode(int fd, const ShareRequest& request);

} // namespace StreamIO
