// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of brelmora-cli watch (56100-56999).
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kWatchUsage = 56100;
constexpr uint32_t kWatchFound = 56101;           // %s: serial
constexpr uint32_t kWatchAbsent = 56102;          // %s: cause
constexpr uint32_t kWatchDownloaded = 56103;      // %d: series, %s: serial
constexpr uint32_t kWatchArchived = 56104;        // %d: series, %d added, %d revised, %d unchanged
constexpr uint32_t kWatchSaved = 56105;           // %s: file
constexpr uint32_t kWatchDeleted = 56106;         // %d: series
constexpr uint32_t kWatchKept = 56107;            // %s: why
constexpr uint32_t kWatchLost = 56108;            // %s: cause
constexpr uint32_t kWatchError = 56109;           // %s: cause
constexpr uint32_t kWatchDeleteNeedsArchive = 56110;
constexpr uint32_t kWatchNoPlace = 56111;
constexpr uint32_t kWatchNoStore = 56112;
constexpr uint32_t kWatchBadSaveDir = 56113;      // %s: the cause
constexpr uint32_t kWatchArchiveFailed = 56114;   // %s: the cause
constexpr uint32_t kWatchStarted = 56115;         // %d: places
constexpr uint32_t kWatchStopped = 56116;
constexpr uint32_t kWatchReloaded = 56117;        // %d: places
constexpr uint32_t kWatchBadInterval = 56118;
constexpr uint32_t kWatchStatusFailed = 56119;    // %s: the cause
constexpr uint32_t kWatchNoUsbNodes = 56120;
constexpr uint32_t kWatchNoInotify = 56121;

} // namespace Cli
