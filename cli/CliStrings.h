// String-table ids of the command-line front end (48000-48999), and the
// fixed ids it uses.
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kNotAProjectFile = 59396;

constexpr uint32_t kUsage = 48000;
constexpr uint32_t kUnknownCommand = 48001;   // %s: the word given
constexpr uint32_t kBadArguments = 48002;     // %s: the command
constexpr uint32_t kCannotWrite = 48003;      // %s: the cause
constexpr uint32_t kBadNumber = 48004;        // %s: the option, %s: the text
constexpr uint32_t kNoVersionRecord = 48005;
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

} // namespace Cli
