// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the series table: the display and copy text of every value-row
// cell, the header copy texts, the detail row's copy text and the export text
// of the whole page.  The desktop table and the command-line export both use
// this code, so the two give the same bytes.
#pragma once

#include <cstdint>
#include <string>

class CPaperData;

namespace SeriesPageText {

enum Column {
    ColCounter = 0,
    ColRollId = 1,
    ColDateTime = 2,
    ColMean = 3,
    ColTotal = 4,
    ColLowerLimit = 5,
    ColUpperLimit = 6,
    ColRange = 7,
    ColStdDev = 8,
    ColEnergy = 9,
    MaxColumns = 10,
};

// 10 columns in energy mode, else 9.
int ColumnCount(bool energyMode);

// The caption of header column `col`.
std::u16string HeaderCaption(int col);

// The copy text of header column `col` (the last column also carries the
// captions of the detail row's fields).
std::u16string HeaderCopyText(int col, bool energyMode);

// The header line of the copy text: every header copy text, no leading CR LF.
std::u16string HeaderLine(bool energyMode);

// Limits as shown: bits 1-7 of the stored byte.
inline int LimitValue(uint8_t stored) { return (stored >> 1) & 0x7F; }

// True when the series has no limits (lower byte 0 and upper byte 200).
bool IsWithoutLimits(const CPaperData& data, int series);

// The texts of one value row, computed with one statistics call.
struct RowTexts {
    std::u16string display[MaxColumns];
    std::u16string copy[MaxColumns];
};
RowTexts MakeRowTexts(const CPaperData& data, int series, bool energyMode, uint32_t dtFormat);

// The date and time of a series with the pictures chosen by `dtFormat`.
std::u16string DateTimeText(const CPaperData& data, int series, uint32_t dtFormat);

// The copy text of the series' detail row: serial, quoted comment, values.
std::u16string DetailCopyText(const CPaperData& data, int series);

// The copy text of one series: its value row (starting with CR LF)
// followed at once by its detail row.
std::u16string SeriesLine(const CPaperData& data, int series, bool energyMode, uint32_t dtFormat);

// The whole page: the header line, then one line per series in the
// collection's order.
std::u16string ExportText(const CPaperData& data, bool energyMode, uint32_t dtFormat);

} // namespace SeriesPageText
