// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the archive commands (54100-54199).
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kArchiveUsage = 54100;
constexpr uint32_t kImportSummary = 54101;     // files, series, added, revised, unchanged, failed
constexpr uint32_t kImportProgress = 54102;    // %d/%d %s
constexpr uint32_t kFindHeader = 54103;
constexpr uint32_t kFindNothing = 54104;
constexpr uint32_t kCheckSound = 54105;        // %lld measurements, %lld revisions
constexpr uint32_t kCheckProblems = 54106;     // ... %d problems
constexpr uint32_t kNoSuchMeasurement = 54107; // %s: the ID
constexpr uint32_t kHistoryRevision = 54108;   // revision, of, when, who, host, source
constexpr uint32_t kHistoryOriginal = 54109;
constexpr uint32_t kHistoryChanged = 54110;    // %s: the fields
constexpr uint32_t kStatsLine = 54112;
constexpr uint32_t kStatsLimits = 54113;
constexpr uint32_t kExportWritten = 54114;     // %d series, %s file
constexpr uint32_t kBadDate = 54115;           // %s option, %s text
constexpr uint32_t kDownloadArchived = 54116;  // %s archive, %d, %d, %d
constexpr uint32_t kDownloadNotArchived = 54117;
constexpr uint32_t kBadValue = 54118;          // %s option, %s text
constexpr uint32_t kNoProjectFiles = 54119;    // %s folder
constexpr uint32_t kFieldRollId = 54120;       // ... the changed fields, 54120 to 54127
constexpr uint32_t kNoLimits = 54128;

} // namespace Cli
