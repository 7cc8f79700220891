// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the trend outputs without a window (55150-55169).
#pragma once

#include <cstdint>

namespace TrendOutputStrings {

constexpr uint32_t kUsage = 55150;
constexpr uint32_t kNeedsValue = 55151;       // %s: the option
constexpr uint32_t kOneOutput = 55152;
constexpr uint32_t kTwice = 55153;            // %s: the option
constexpr uint32_t kBadValue = 55154;         // %s: the option, %s: the value
constexpr uint32_t kUnknownArgument = 55155;  // %s: the argument
constexpr uint32_t kNothingFound = 55003;     // the trend command's own text

} // namespace TrendOutputStrings
