// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the command-line front end (48000-48999), and the
// fixed ids it uses.
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kNotAProjectFile = 59396;

constexpr uint32_t kUsage = 48000;
constexpr uint32_t kExitStatusUsage = 48024;  // the exit statuses, printed last in the help
constexpr uint32_t kUnknownCommand = 48001;   // %s: the word given
constexpr uint32_t kBadArguments = 48002;     // %s: the command
constexpr uint32_t kCannotWrite = 48003;      // %s: the cause
constexpr uint32_t kBadNumber = 48004;        // %s: the option, %s: the text
constexpr uint32_t kNoVersionRecord = 48005;
constexpr uint32_t kOutputIsInput = 48006;     // %s: the output
constexpr uint32_t kOutputTwice = 48007;       // %s, %s: the two outputs
constexpr uint32_t kStdoutFailed = 48008;      // %s: the cause
constexpr uint32_t kProjectDamagedExit = 48009;
constexpr uint32_t kInfoFile = 48010;
constexpr uint32_t kInfoFormat = 48011;
constexpr uint32_t kInfoWriter = 48012;
constexpr uint32_t kInfoCurrent = 48013;
constexpr uint32_t kInfoOriginal = 48014;
constexpr uint32_t kInfoSortMode = 48015;
constexpr uint32_t kInfoSerial = 48016;
constexpr uint32_t kInfoTableHead = 48017;
constexpr uint32_t kInfoNoLimits = 48018;
constexpr uint32_t kInfoSummaryComment = 48019;
constexpr uint32_t kInfoNoSeries = 48020;
constexpr uint32_t kUnknownOption = 48021;    // %s: the option, %s: the command
constexpr uint32_t kOptionNeedsValue = 48022; // %s: the option
constexpr uint32_t kNoCommand = 48023;

} // namespace Cli
