// SPDX-License-Identifier: GPL-3.0-or-later
// The cells of the series table's rows, made and filled in one place for
// the screen (CTabGrid) and the printout (CTablePrintLayout): the header
// cells, the value row of a series (gripper, texts, the mean's bar range)
// and its detail row (gradient cell and series graph), and the rule that
// sizes the columns to their texts.
#pragma once

#include <QFontMetrics>

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/GridCell.h"

class CPaperData;
class CPaperDoc;
class CGridCellSeries;
class ISeriesCellHost;

namespace SeriesRowCells {

// Heights of the header row and of a value row.
constexpr int kHeaderHeight = 26;
constexpr int kRowHeight = 22;

// The header cell of column `c`.
std::unique_ptr<CGridCell> MakeHeaderCell(int column, bool energy);
// An empty cell of a value row's column (the gripper in column 0, the bar
// range in the mean column); its texts come from FillValueRow.
std::unique_ptr<CGridCell> MakeValueCell(int column);
// The detail row's first cell and its graph cell bound to series `s`.
std::unique_ptr<CGridCell> MakeDetailLeftCell();
std::unique_ptr<CGridCellSeries> MakeGraphCell(ISeriesCellHost* host, CPaperDoc* doc, int series);

// Writes the texts (display and copy) of series `s` into the value row's
// cells (one per column, null entries skipped) and the mean's bar values.
void FillValueRow(CGridCell* const* cells, int columns, const CPaperData& data, int series, bool energy,
                  uint32_t dtFormat);
// Sets the gripper's two pictures (the cell in column 0 of a value row).
void SetGripperState(CGridCell* cell, bool expanded, bool ticked);

// The width a cell needs for its text, the header's with room for the sort
// mark; never below 10 pixels.
constexpr int kSortMarkRoom = 14;
constexpr int kMinColumnWidth = 10;

} // namespace SeriesRowCells
