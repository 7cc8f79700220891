// String-table ids of the archive window (55200-55399).
#pragma once

#include <cstdint>

namespace ArchiveViewStrings {

// The result table's column captions, 55300 to 55310 in column order.
constexpr uint32_t kColumnFirst = 55300;
constexpr uint32_t kNoLimits = 55311;
constexpr uint32_t kTitle = 55320;            // %s: the archive
constexpr uint32_t kRollPattern = 55321;
constexpr uint32_t kSerial = 55322;
constexpr uint32_t kFrom = 55323;
constexpr uint32_t kTo = 55324;
constexpr uint32_t kOutsideOnly = 55325;
constexpr uint32_t kCovAbove = 55326;
constexpr uint32_t kSearch = 55327;
constexpr uint32_t kTimeAxis = 55328;
constexpr uint32_t kSequenceAxis = 55329;
constexpr uint32_t kThreshold = 55330;
constexpr uint32_t kCopyPicture = 55331;
constexpr uint32_t kSavePicture = 55332;
constexpr uint32_t kPrint = 55333;
constexpr uint32_t kSaveFilter = 55334;       // the file dialog's filter
constexpr uint32_t kFailed = 55335;           // %s: the message
constexpr uint32_t kFound = 55336;            // %d rows shown so far
constexpr uint32_t kRollPatternTip = 55337;
constexpr uint32_t kWriteFailed = 55338;      // %s file, %s cause
constexpr uint32_t kArchivingFailed = 55339;  // %s: the archive's message
constexpr uint32_t kAddToArchive = 55202;     // the menu text of ID_ADD_TO_ARCHIVE (prompt 55203)

} // namespace ArchiveViewStrings
