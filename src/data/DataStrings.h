// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the data layer.
#pragma once

#include <cstdint>

namespace DataStrings {

constexpr uint32_t kNotAProjectFile = 59396;   // reading a project failed
constexpr uint32_t kSaveChanges = 59399;       // Yes/No/Cancel before closing
constexpr uint32_t kUnnamed = 59490;           // title of a project without path

constexpr uint32_t kUnitQ = 42000;
constexpr uint32_t kUnitR = 42001;
constexpr uint32_t kUnknownUnit = 42002;
constexpr uint32_t kProjectFilter = 42003;     // open/save dialog filter
constexpr uint32_t kProjectDamaged = 42004;    // %s: file name
constexpr uint32_t kSaveFailed = 42005;        // %s: file name, %s: cause

// Why a project could not be opened (the line after 59396).
constexpr uint32_t kPathIsFolder = 42010;
constexpr uint32_t kPathIsPipe = 42011;
constexpr uint32_t kPathIsDevice = 42012;
constexpr uint32_t kPathIsSocket = 42013;
constexpr uint32_t kProjectTooLarge = 42014;
constexpr uint32_t kNoProjectHeading = 42015;
constexpr uint32_t kDamagedAtByte = 42016;     // %s: the offset

// Header captions of the spreadsheet export (CSV).
constexpr uint32_t kCsvRollId = 42030;
constexpr uint32_t kCsvCounter = 42031;
constexpr uint32_t kCsvDateTime = 42032;
constexpr uint32_t kCsvUnit = 42033;
constexpr uint32_t kCsvImpacts = 42034;
constexpr uint32_t kCsvMean = 42035;
constexpr uint32_t kCsvStdDev = 42036;
constexpr uint32_t kCsvRange = 42037;
constexpr uint32_t kCsvMinimum = 42038;
constexpr uint32_t kCsvMaximum = 42039;
constexpr uint32_t kCsvLowerLimit = 42040;
constexpr uint32_t kCsvUpperLimit = 42041;
constexpr uint32_t kCsvComment = 42042;
constexpr uint32_t kCsvImpactNumber = 42043;
constexpr uint32_t kCsvValue = 42044;
constexpr uint32_t kCsvValueQ = 42045;
constexpr uint32_t kCsvEnergy = 42046;
constexpr uint32_t kCsvStatus = 42047;

} // namespace DataStrings
