// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the archive layer and the archive commands
// (54000-54999).
#pragma once

#include <cstdint>

namespace Archive {

// The archive layer's messages (54000-54099).
constexpr uint32_t kArchiveFailed = 54001;        // %s: archive, %s: what failed
constexpr uint32_t kCannotOpen = 54002;           // %s: the cause
constexpr uint32_t kCannotRead = 54003;           // %s: the cause
constexpr uint32_t kCannotWrite = 54004;          // %s: the cause
constexpr uint32_t kNewerSchema = 54005;          // %d: its schema, %d: ours
constexpr uint32_t kNotAnArchive = 54006;
constexpr uint32_t kTruncated = 54007;            // %s: bytes there, %s: bytes expected
constexpr uint32_t kPasswordInUrl = 54008;
constexpr uint32_t kReadOnlyFile = 54009;
constexpr uint32_t kNotRegularFile = 54010;
constexpr uint32_t kBadAddress = 54011;           // %s: the address
constexpr uint32_t kDiskFull = 54012;
constexpr uint32_t kNoArchive = 54013;            // the file does not exist
constexpr uint32_t kNoHome = 54014;
constexpr uint32_t kOlderSchema = 54015;          // %d: its schema, %d: ours
constexpr uint32_t kBusy = 54016;                 // %s: the cause
constexpr uint32_t kDamaged = 54017;              // %s: the cause
constexpr uint32_t kCheckIntegrity = 54019;       // %s: what integrity_check said
constexpr uint32_t kCheckNoRevision = 54020;      // %lld: measurements without revision
constexpr uint32_t kCheckRevisionCount = 54021;   // %lld: measurements whose count is wrong
constexpr uint32_t kCheckLatest = 54022;          // %lld: measurements without exactly one newest
constexpr uint32_t kCheckForeignKeys = 54023;     // %lld: rows pointing nowhere
constexpr uint32_t kCannotCreateFolder = 54024;   // %s: folder, %s: cause

} // namespace Archive
