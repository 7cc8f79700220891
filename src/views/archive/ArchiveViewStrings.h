// SPDX-License-Identifier: GPL-3.0-or-later
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

// Open, add, history and the history dialog (55400-55449).
constexpr uint32_t kOpen = 55400;
constexpr uint32_t kOpenTip = 55401;
constexpr uint32_t kAddToProject = 55402;
constexpr uint32_t kAddToProjectTip = 55403;
constexpr uint32_t kHistory = 55404;
constexpr uint32_t kHistoryTip = 55405;
constexpr uint32_t kHistoryTitle = 55406;     // %s: the roll ID, %lld: the archive ID
constexpr uint32_t kHistoryChanged = 55407;   // the legend below the table
constexpr uint32_t kHistoryClose = 55408;
constexpr uint32_t kRevisionCaption = 55409;  // %lld: the revision
constexpr uint32_t kOriginalMark = 55410;     // after the caption of the downloaded state
// The history's row captions, 55420 to 55420 + kHistoryRowCount - 1 in row order.
constexpr uint32_t kHistoryRowFirst = 55420;

// The archive group of the application settings (55450-55499).
constexpr uint32_t kSettingsArchive = 55450;
constexpr uint32_t kSettingsArchiveDownloads = 55451;
constexpr uint32_t kSettingsLocation = 55452;
constexpr uint32_t kSettingsLocationDefault = 55453;   // %s: the default file
constexpr uint32_t kSettingsLocationTip = 55454;
constexpr uint32_t kSettingsTest = 55455;
constexpr uint32_t kSettingsTesting = 55456;
constexpr uint32_t kSettingsWorks = 55457;             // %s: the archive
constexpr uint32_t kSettingsFails = 55458;             // %s: the cause
constexpr uint32_t kSettingsDemo = 55459;
constexpr uint32_t kSettingsInvalid = 55460;           // %s: the cause

} // namespace ArchiveViewStrings
