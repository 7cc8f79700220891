// SPDX-License-Identifier: GPL-3.0-or-later
// The trend chart's numbers as CSV, in the spreadsheet CSV's conventions
// (UTF-8, comma separated, CR LF, dot decimals whatever the locale, local
// ISO 8601 times): a header row of the column names, then one row per point
// in chart order.
#pragma once

#include <string>

#include "archive/TrendChart.h"

namespace Archive {

// The column names of the header row, comma separated.
extern const char* const kTrendCsvHeader;

std::string EncodeTrendCsv(const STrendChart& chart);

} // namespace Archive
