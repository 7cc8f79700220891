// Printing of the series table: the page frame on every page, the table's
// header row at the top of every page's body, the rows distributed over
// pages and, when the columns do not fit the page's width, the columns
// split over pages as well (for every group of rows, one page per group of
// columns).  The cells print with their own drawing, as on screen, in
// screen proportion (one pixel of the table is 0.2 mm).
#pragma once

#include <vector>

class CGridCtrl;
class QPrinter;
struct SPrintInfo;

namespace TablePrinter {

// The rows that print: every shown row (height above 0) of the body; with
// `selectionOnly` only those whose cell in column 1 is selected.
std::vector<int> PrintedRows(const CGridCtrl& grid, bool selectionOnly);

// Prints `rows` of the grid.  False when the job could not be started or a
// page failed; a failed page aborts the job.
bool Print(QPrinter& printer, CGridCtrl& grid, const std::vector<int>& rows, const SPrintInfo& info);

} // namespace TablePrinter
