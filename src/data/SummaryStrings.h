// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the summary and of the summary page (47000-47999,
// plus the fixed ids 59461 and 59495).
#pragma once

#include <cstdint>

namespace SummaryStrings {

constexpr uint32_t kDifferentSerials = 59461;   // serial text of series from several instruments
constexpr uint32_t kDifferentUnits = 59495;     // unit text of the R flag 254

// Titles of the page and its blocks.
constexpr uint32_t kPageTitle = 47000;          // "Summary of Series"
constexpr uint32_t kDiagramTitle = 47001;
constexpr uint32_t kValuesTitle = 47002;
constexpr uint32_t kStatisticsTitle = 47003;
constexpr uint32_t kSettingsTitle = 47004;
constexpr uint32_t kCommentTitle = 47005;

// Statistics block: labels and symbols.  "Mean value" is the table's 59497.
constexpr uint32_t kTotalUsed = 47010;
constexpr uint32_t kMedian = 47011;
constexpr uint32_t kMeanValue = 59497;
constexpr uint32_t kStdDev = 47012;
constexpr uint32_t kRange = 47013;
constexpr uint32_t kMinimum = 47014;
constexpr uint32_t kMaximum = 47015;
constexpr uint32_t kSymbolN = 47016;
constexpr uint32_t kSymbolMean = 47017;
constexpr uint32_t kSymbolStdDev = 47018;

// Settings block.
constexpr uint32_t kSerialNumber = 47020;
constexpr uint32_t kDateTime = 47021;
constexpr uint32_t kTimeSpan = 47022;           // "%s - %s": earliest, latest

// Texts of the drawing and its menu (used by the summary view).
constexpr uint32_t kMeasurementOrder = 47030;   // "[measurement order]"
constexpr uint32_t kOrderedByValue = 47031;
constexpr uint32_t kOrderedByRollId = 47032;
constexpr uint32_t kConversionNotPossible = 47033;
constexpr uint32_t kMeasurementNumber = 47034;  // "Measurement number %d"
constexpr uint32_t kValueQ = 47035;             // "%0.1f Q"
constexpr uint32_t kAddComment = 47036;         // "[Add]"
constexpr uint32_t kRemoveSeries = 47037;       // "Remove series %s"
constexpr uint32_t kRemoveAllSeries = 47038;
constexpr uint32_t kAddAllSeries = 47039;

} // namespace SummaryStrings
