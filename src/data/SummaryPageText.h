// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the summary page: the rows of its statistics block (shown and
// copied), the values of the entries, the date and time row, and the whole
// copy text of the page.  The desktop page ("Copy as text") and the
// command-line export both use this code, so the two give the same text.
//
// The copy text holds the page's blocks in the order they are laid out, each
// as its title line, its lines and one empty line; every line ends with
// CR LF.  The diagram is a picture and gives no text.
//
//   Summary of Series
//
//   Values of series            one value per entry ("%0.*f", or "--")
//   Statistics of summary       label TAB [symbol TAB] value copy text
//   Settings of series          "Serial number" TAB serial,
//                               "Date&Time" TAB date and time
//   Comment                     the comment in double quotes, its CR LF as
//                               "<br>" and its double quotes as "&quot"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/SummaryStatistics.h"

class CPaperDoc;
class CSummaryData;

namespace SummaryPageText {

// One row of the statistics block.
struct StatisticsRow {
    std::u16string label;
    std::u16string symbol;   // "N", "f", "s" for the first three rows, else empty
    std::u16string value;    // as shown: "= ..."
    std::u16string copy;     // the value's copy text
};

// The six rows "Total used series", "Mean value" (or "Median"), "Standard
// deviation", "Range", "Minimum", "Maximum" for statistics `st` computed in
// the summary's averaging mode.  The mean row shows the converted values'
// mean for an R summary and the Q values' mean otherwise.  The standard
// deviation shows "--" when fewer than 2 entries are used; mean, range,
// minimum and maximum show "--" when no entry is used.
std::vector<StatisticsRow> StatisticsRows(const SummaryStatistics& st, const CSummaryData& summary);

// The value of one entry: "%0.*f", or "--" for an entry without a value.
std::u16string EntryValueText(float convertedMean, int decimals);

// The date and time of the summary: the earliest time stamp, or "earliest -
// latest" when the series span more than one stamp; empty when no series
// contributed (earliest after latest).
std::u16string DateTimeText(uint32_t earliest, uint32_t latest, uint32_t dtFormat);

// The comment in double quotes, CR LF as "<br>", double quotes as "&quot".
std::u16string CommentCopyText(const std::u16string& comment);

// The copy text of the summary as it is built now (empty when the summary
// has no entries).  Computes the statistics, which resets the entries' bytes.
std::u16string CopyText(CSummaryData& summary, uint32_t dtFormat);

// Rebuilds the document's summary and returns its copy text: the text of
// the summary page's export.
std::u16string ExportText(CPaperDoc& doc, uint32_t dtFormat);

} // namespace SummaryPageText
