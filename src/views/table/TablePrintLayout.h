// SPDX-License-Identifier: GPL-3.0-or-later
// CTablePrintLayout: the series table's printout computed from the document
// and the series-page texts, without a grid widget.  It sizes the columns
// as a fill sizes them (or takes the widths the page shows), measures the
// detail rows of expanded series at the printed graph width, distributes
// the series over pages (a series row and its graph always share a page)
// and draws every page with the cells the screen draws with.
//
// The table prints in screen proportion: one pixel is 0.2 mm on paper
// (PrintLayout::kTableUnitsPerInch).
#pragma once

#include <QFont>

#include <cstdint>
#include <vector>

#include "views/print/PrintLayout.h"

class CPaperDoc;
class QPainter;
class QPrinter;
struct SPrintInfo;

class CTablePrintLayout {
public:
    struct SOptions {
        // The table's font (in pixels on paper, as on screen).
        QFont font;
        // The printed column widths; empty: sized to the texts.
        std::vector<int> columnWidths;
        // One flag per series: print it; empty: every series.
        std::vector<uint8_t> selected;
    };

    CTablePrintLayout(CPaperDoc& doc, SOptions options);

    const std::vector<int>& ColumnWidths() const { return m_widths; }
    int GraphWidth() const;
    // The printed series in table order and the heights of their rows (the
    // detail row 0 when the series is not expanded).
    struct SPrintedSeries {
        int series = 0;
        int valueHeight = 0;
        int detailHeight = 0;
    };
    const std::vector<SPrintedSeries>& Series() const { return m_series; }

    // The pages for a body of `bodyWidth` x `bodyHeight` units: for every
    // page of rows, one page per group of columns.
    struct SPages {
        std::vector<PrintLayout::SPageRows> rows;
        std::vector<PrintLayout::SColumnPage> columns;
        int Count() const { return static_cast<int>(rows.size() * std::max<size_t>(columns.size(), 1)); }
    };
    SPages Paginate(double bodyWidth, double bodyHeight) const;

    // Prints every page with the page frame; false when the job could not
    // be started or a page failed (a failed page aborts the job).
    bool Print(QPrinter& printer, const SPrintInfo& info);
    // Draws the table's part of one page with its top left at `origin`.
    void DrawPage(QPainter& painter, const PrintLayout::SPageRows& rows, const PrintLayout::SColumnPage& columns,
                  const QPoint& origin);

    // The column widths a fill gives the table of `doc` in `font`.
    static std::vector<int> SizeColumns(const CPaperDoc& doc, const QFont& font);

private:
    void Measure();

    CPaperDoc& m_doc;
    SOptions m_options;
    bool m_energy = false;
    uint32_t m_dtFormat = 0;
    std::vector<int> m_widths;
    std::vector<SPrintedSeries> m_series;
};
