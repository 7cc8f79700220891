// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the trend chart (55100-55149).
#pragma once

#include <cstdint>

namespace TrendStrings {

constexpr uint32_t kTitle = 55100;          // %d series, %s unit
constexpr uint32_t kMeanAxis = 55101;       // %s unit
constexpr uint32_t kCovAxis = 55102;
constexpr uint32_t kCentreLine = 55103;     // %s value
constexpr uint32_t kControlLimits = 55104;  // %s lower, %s upper
constexpr uint32_t kLimits = 55105;         // %d lower, %d upper
constexpr uint32_t kBeyond = 55106;
constexpr uint32_t kRun = 55107;
constexpr uint32_t kSequenceAxis = 55108;
constexpr uint32_t kTimeAxis = 55109;
constexpr uint32_t kTip = 55110;            // roll ID, time, mean, min, max, COV
constexpr uint32_t kThreshold = 55111;      // %s percent
constexpr uint32_t kNothing = 55112;
constexpr uint32_t kLeftOut = 55113;        // %d series not shown
constexpr uint32_t kNoCov = 55114;          // COV of a series without one

} // namespace TrendStrings
