// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of printed pages, free of any drawing: where the page
// header, the body and the page footer go, how the table's rows are
// distributed over pages and its columns split over pages, and how the
// summary's single page is mapped onto the paper.
//
// Lengths are logical units of the printout.  The layout values of the page
// frame count in the printer font's average character width (horizontally)
// and its line height (vertically).
#pragma once

#include <string_view>
#include <vector>

namespace PrintLayout {

// Layout values of the page frame.
constexpr int kHeaderLines = 2;
constexpr int kFooterLines = 2;
constexpr int kLeftMarginChars = 4;
constexpr int kRightMarginChars = 4;
constexpr int kTopMarginLines = 1;
constexpr int kBottomMarginLines = 1;
constexpr int kGapLines = 1;   // between the header or the footer and the body

// The printer font: "Arial", 11 logical units high, normal weight.
constexpr int kPrinterFontHeight = 11;
// The text whose width / 52 is the average character width.
constexpr std::u16string_view kAverageCharText = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
double AverageCharWidth(double widthOfAverageCharText);

// The table is printed in screen proportion: one pixel of the table is
// 0.2 mm on paper, as in its pictures (127 pixels per inch).
constexpr double kTableUnitsPerInch = 127.0;

struct SRect {
    double x = 0, y = 0, width = 0, height = 0;
    double Right() const { return x + width; }
    double Bottom() const { return y + height; }
};

struct SFrameMetrics {
    double charWidth = 6;
    double lineHeight = 13;
};

// The three bands of a page of `width` x `height` logical units (its
// printable area, origin at its top left): the header, the body between
// the gaps, and the footer; all between the left and the right margin.
struct SPageRegions {
    SRect header, body, footer;
};
SPageRegions PageRegions(double width, double height, const SFrameMetrics& metrics);

// The rows of one page: indexes [first, last) into the list of printed rows.
struct SRowPage {
    int first = 0;
    int last = 0;
};

// Distributes rows of the given heights over pages whose body is
// `bodyHeight` high; every page starts with the table's header row
// (`headerHeight`).  A page takes as many rows as fit; a row taller than a
// page gets a page of its own (and is cut).  No rows give one page with
// the header row only.
std::vector<SRowPage> DistributeRows(const std::vector<int>& rowHeights, double bodyHeight, int headerHeight);

// A series of the table as printed: its value row and its detail row (0
// when the detail is not shown).
struct SPrintedPair {
    int valueHeight = 0;
    int detailHeight = 0;
};

// A part of a printed row on a page: the value row or the detail row of
// series `item` (an index into the printed series); of a detail row only
// `height` units from `offset` on.
struct SRowPart {
    int item = 0;
    bool detail = false;
    int offset = 0;
    int height = 0;
};

// The rows of one page, top to bottom, under the table's header row.
struct SPageRows {
    std::vector<SRowPart> parts;
};

// Distributes series over pages whose body is `bodyHeight` high under the
// header row (`headerHeight`).  A series row and its detail row stay on
// one page: when both do not fit the rest of a page they move to the next.
// A detail taller than a page starts on a page of its own and goes on over
// the pages after it, each starting with its series row again.  No series
// give one page with the header row only.
std::vector<SPageRows> DistributeSeries(const std::vector<SPrintedPair>& series, double bodyHeight, int headerHeight);

// The columns of one page: indexes first..last (inclusive).
struct SColumnPage {
    int first = 0;
    int last = 0;
    int width = 0;
};

// Splits columns of the given widths into groups no wider than
// `availableWidth` (a column wider than that is a group of its own).
// Columns of width 0 join the group before them.  No columns give none.
std::vector<SColumnPage> SplitColumns(const std::vector<int>& columnWidths, double availableWidth);

// The summary's page: the logical page is (layout width + one character)
// wide and as high as the paper's aspect ratio makes it; the drawing starts
// one character width from the left edge.
struct SSummaryPage {
    double width = 0;    // logical page
    double height = 0;
    double originX = 0;  // logical x of the page's left edge in drawing coordinates (-w)
};
SSummaryPage SummaryPage(int layoutWidth, double charWidth, double paperWidth, double paperHeight);

// The scale that maps a drawing of `drawingHeight` into a body of
// `bodyHeight` logical units: 1 when it fits, smaller when it would be cut.
double FitScale(double drawingHeight, double bodyHeight);

} // namespace PrintLayout
