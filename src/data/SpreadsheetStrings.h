// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the spreadsheet export's number form.
#pragma once

#include <cstdint>

namespace SpreadsheetStrings {

// "de" in the German table: the export writes the German number form when
// the program runs in German.  Not shown to the user.
constexpr uint32_t kCsvLocale = 53000;

} // namespace SpreadsheetStrings
