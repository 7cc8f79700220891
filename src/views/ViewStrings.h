// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the views: the series table, the graph cell and the
// series dialogs (own ids 44000-44999, and the fixed ids they use).
#pragma once

#include <cstdint>

namespace ViewStrings {

// Captions shared with the table's columns.
constexpr uint32_t kMeanValue = 59497;
constexpr uint32_t kLowerLimit = 44005;
constexpr uint32_t kUpperLimit = 44006;
constexpr uint32_t kRange = 44007;
constexpr uint32_t kMinimum = 44010;
constexpr uint32_t kMaximum = 44011;
constexpr uint32_t kComment = 44013;
constexpr uint32_t kTabSeries = 44015;
constexpr uint32_t kTabSummary = 44016;

// Context menu of the table.
constexpr uint32_t kExpandAll = 44100;
constexpr uint32_t kCollapseAll = 44101;
constexpr uint32_t kAllInSummary = 44102;
constexpr uint32_t kNoneInSummary = 44103;
constexpr uint32_t kCut = 44104;
constexpr uint32_t kCopy = 44105;
constexpr uint32_t kPaste = 44106;
constexpr uint32_t kDelete = 44107;
constexpr uint32_t kDeleteQuestion = 44108;

// Status bar.
constexpr uint32_t kSelectedObjects = 44110;
constexpr uint32_t kTotalObjects = 44111;
constexpr uint32_t kUpdating = 44112;
constexpr uint32_t kExpanding = 44113;

// Graph cell.
constexpr uint32_t kQDiagram = 44120;
constexpr uint32_t kRDiagram = 44121;
constexpr uint32_t kOrderedByValue = 44122;
constexpr uint32_t kMeasurementOrder = 44123;
constexpr uint32_t kMeasurementNumber = 44124;   // %d
constexpr uint32_t kQValues = 44125;
constexpr uint32_t kRValues = 44126;
constexpr uint32_t kStatistics = 44127;
constexpr uint32_t kMeasurements = 44128;
constexpr uint32_t kStandardDeviation = 44129;
constexpr uint32_t kSettings = 44130;
constexpr uint32_t kSerialNumber = 44131;
constexpr uint32_t kAdd = 44132;
constexpr uint32_t kAutoAxisOnTip = 44133;
constexpr uint32_t kAutoAxisOffTip = 44134;
constexpr uint32_t kSymbolCount = 44135;
constexpr uint32_t kSymbolMean = 44136;
constexpr uint32_t kSymbolDeviation = 44137;

// Dialogs.
constexpr uint32_t kCommentCaption = 44140;
constexpr uint32_t kAdjustTime = 44141;
constexpr uint32_t kCurrentStamp = 44142;
constexpr uint32_t kDate = 44143;
constexpr uint32_t kTime = 44144;
constexpr uint32_t kArrow = 44145;
constexpr uint32_t kStampAfter = 44146;
constexpr uint32_t kInfo = 44147;
constexpr uint32_t kAdjustInfo = 44148;
constexpr uint32_t kNotAddedCaption = 44150;
constexpr uint32_t kNotAddedText = 44151;
constexpr uint32_t kNotAddedRule = 44152;
constexpr uint32_t kDoNotShowAgain = 44153;
constexpr uint32_t kOk = 44154;
constexpr uint32_t kCancel = 44155;

// Text export.
constexpr uint32_t kExportFilter = 44160;
constexpr uint32_t kExportFailed = 44162;   // %s file, %s cause
constexpr uint32_t kPictureCut = 44170;     // %d pixels, %d rows held, %d rows selected

// Printing: the page header and footer, the job's name.
constexpr uint32_t kPrintCompany = 44200;     // "Vantor"
constexpr uint32_t kPrintTitle = 44201;       // "Veltrano measurement series"
constexpr uint32_t kPrintVersion = 44202;     // "Brelmora Version %d.%d.%d.%d"
constexpr uint32_t kPageOfPages = 1804;       // "Page %d of %d"
constexpr uint32_t kAppName = 57344;          // "Brelmora"

} // namespace ViewStrings
