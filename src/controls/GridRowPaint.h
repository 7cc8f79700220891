// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing of one grid row from its cells, the column widths and its merged
// range, without a grid widget: the grid's own painting and the table's
// printout both draw through here, so a printed row is drawn by the code
// that draws it on screen.
#pragma once

#include <QRect>

#include <cstdint>

class CGridCell;
class QPainter;

namespace GridRowPaint {

// One row as drawn.  `cells` and `widths` hold one entry per column (a
// null cell draws as an empty cell).
struct SRow {
    CGridCell* const* cells = nullptr;
    const int* widths = nullptr;
    int columns = 0;
    int height = 0;
    int mergeFirst = -1;           // the merged range of the row, -1: none
    int mergeLast = -1;
    bool header = false;           // the header row: header cells, no selection
    uint32_t selection = 0;        // a bit per selected column
    int focusColumn = -1;          // the column that shows the focus frame, -1: none
    int sortColumn = -1;           // the header's sort mark (screen only)
    bool sortAscending = true;
};

// Draws columns firstCol..lastCol of the row with its top at `y`; `x0` is
// the x of column 0.  Only cells meeting `clip` are drawn, each clipped to
// its part of `clip`.  `printing`: a printer or picture (no selection
// colours, focus or sort marks).
void Paint(QPainter& painter, const SRow& row, int y, int x0, int firstCol, int lastCol, const QRect& clip,
           bool printing);

// A header cell: background, the lines at its right and bottom, the
// optional sort mark and the cell's text centred.
void PaintHeaderCell(QPainter& painter, const CGridCell* cell, const QRect& rect, bool sortMark, bool ascending);

} // namespace GridRowPaint
