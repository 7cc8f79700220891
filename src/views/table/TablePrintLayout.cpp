// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/table/TablePrintLayout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "controls/GridCtrl.h"
#include "controls/GridRowPaint.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "views/graph/SeriesGraph.h"
#include "views/print/PageFrame.h"
#include "views/print/PrinterFont.h"
#include "views/table/GridCellSeries.h"
#include "views/table/SeriesRowCells.h"
#include "views/ViewSettings.h"

using namespace PrintLayout;

CTablePrintLayout::CTablePrintLayout(CPaperDoc& doc, SOptions options) : m_doc(doc), m_options(std::move(options))
{
    m_energy = m_doc.IsEnergyMode();
    m_dtFormat = ViewSettings::DtFormat();
    const int columns = SeriesPageText::ColumnCount(m_energy);
    if (static_cast<int>(m_options.columnWidths.size()) == columns)
        m_widths = m_options.columnWidths;
    else
        m_widths = SizeColumns(m_doc, m_options.font);
    Measure();
}

std::vector<int> CTablePrintLayout::SizeColumns(const CPaperDoc& doc, const QFont& font)
{
    // The rule of CGridCtrl::AutoSizeColumns over the table's rows: the
    // header's captions with room for the sort mark, then the value rows
    // among the sampled rows (detail rows need no width).
    const bool energy = doc.IsEnergyMode();
    const uint32_t dtFormat = ViewSettings::DtFormat();
    const int columns = SeriesPageText::ColumnCount(energy);
    const QFontMetrics metrics(font);
    std::vector<int> widths(static_cast<size_t>(columns), 0);
    for (int c = 0; c < columns; ++c)
        widths[static_cast<size_t>(c)] =
            SeriesRowCells::MakeHeaderCell(c, energy)->GetExtentWidth(metrics) + SeriesRowCells::kSortMarkRoom;
    std::array<std::unique_ptr<CGridCell>, CGridCtrl::kMaxColumns> owned;
    std::array<CGridCell*, CGridCtrl::kMaxColumns> cells{};
    for (int c = 0; c < columns; ++c) {
        owned[static_cast<size_t>(c)] = SeriesRowCells::MakeValueCell(c);
        cells[static_cast<size_t>(c)] = owned[static_cast<size_t>(c)].get();
    }
    const int count = doc.GetCount();
    for (int row : CGridCtrl::SampledRows(2 * count, CGridCtrl::kAutoSizeSample)) {
        if (row % 2 == 0)
            continue;
        SeriesRowCells::FillValueRow(cells.data(), columns, doc.GetCurrent(), (row - 1) / 2, energy, dtFormat);
        for (int c = 0; c < columns; ++c)
            widths[static_cast<size_t>(c)] =
                std::max(widths[static_cast<size_t>(c)], cells[static_cast<size_t>(c)]->GetExtentWidth(metrics));
    }
    for (int& w : widths)
        w = std::max(w, SeriesRowCells::kMinColumnWidth);
    return widths;
}

int CTablePrintLayout::GraphWidth() const
{
    int width = 0;
    for (size_t c = 1; c < m_widths.size(); ++c)
        width += m_widths[c];
    return width;
}

void CTablePrintLayout::Measure()
{
    const int count = m_doc.GetCount();
    const int graphWidth = GraphWidth();
    m_series.clear();
    for (int s = 0; s < count; ++s) {
        if (!m_options.selected.empty() &&
            (static_cast<size_t>(s) >= m_options.selected.size() || m_options.selected[static_cast<size_t>(s)] == 0))
            continue;
        SPrintedSeries printed;
        printed.series = s;
        printed.valueHeight = SeriesRowCells::kRowHeight;
        if (m_doc.GetExpanded(s)) {
            const SSeriesGraphData data = MakeSeriesGraphData(m_doc, s);
            const int needed = CSeriesGraph::Measure(QRect(0, 0, graphWidth, 100), data, m_options.font);
            printed.detailHeight = std::clamp(CGridCellSeries::TargetFromNeeded(needed), 2, CGridCtrl::kMaxRowHeight);
        }
        m_series.push_back(printed);
    }
}

CTablePrintLayout::SPages CTablePrintLayout::Paginate(double bodyWidth, double bodyHeight) const
{
    std::vector<SPrintedPair> pairs;
    pairs.reserve(m_series.size());
    for (const SPrintedSeries& s : m_series)
        pairs.push_back(SPrintedPair{s.valueHeight, s.detailHeight});
    SPages pages;
    pages.rows = DistributeSeries(pairs, bodyHeight, SeriesRowCells::kHeaderHeight);
    pages.columns = SplitColumns(m_widths, bodyWidth);
    return pages;
}

void CTablePrintLayout::DrawPage(QPainter& painter, const SPageRows& rows, const SColumnPage& columns,
                                 const QPoint& origin)
{
    const int count = static_cast<int>(m_widths.size());
    int left = 0;   // x of the page's first column in table coordinates
    for (int c = 0; c < columns.first; ++c)
        left += m_widths[static_cast<size_t>(c)];
    int width = 0;
    for (int c = columns.first; c <= columns.last && c < count; ++c)
        width += m_widths[static_cast<size_t>(c)];
    const int x0 = origin.x() - left;

    painter.save();
    // Pixel sizes: the printer has its own resolution and the painter is
    // scaled; a point size would be scaled twice.
    QFont pixelFont = m_options.font;
    pixelFont.setPixelSize(std::max(QFontInfo(m_options.font).pixelSize(), 6));
    painter.setFont(pixelFont);

    GridRowPaint::SRow row;
    row.widths = m_widths.data();
    row.columns = count;

    // The header row.
    std::array<std::unique_ptr<CGridCell>, CGridCtrl::kMaxColumns> header;
    std::array<CGridCell*, CGridCtrl::kMaxColumns> cells{};
    for (int c = 0; c < count; ++c) {
        header[static_cast<size_t>(c)] = SeriesRowCells::MakeHeaderCell(c, m_energy);
        cells[static_cast<size_t>(c)] = header[static_cast<size_t>(c)].get();
    }
    row.cells = cells.data();
    row.header = true;
    row.height = SeriesRowCells::kHeaderHeight;
    GridRowPaint::Paint(painter, row, origin.y(), x0, columns.first, columns.last,
                        QRect(origin, QSize(width, row.height)), true);
    row.header = false;

    // The value row's cells, filled anew for every series.
    std::array<std::unique_ptr<CGridCell>, CGridCtrl::kMaxColumns> value;
    std::array<CGridCell*, CGridCtrl::kMaxColumns> valueCells{};
    for (int c = 0; c < count; ++c) {
        value[static_cast<size_t>(c)] = SeriesRowCells::MakeValueCell(c);
        valueCells[static_cast<size_t>(c)] = value[static_cast<size_t>(c)].get();
    }
    const std::unique_ptr<CGridCell> detailLeft = SeriesRowCells::MakeDetailLeftCell();

    int y = origin.y() + SeriesRowCells::kHeaderHeight;
    for (const SRowPart& part : rows.parts) {
        const SPrintedSeries& printed = m_series[static_cast<size_t>(part.item)];
        const int s = printed.series;
        if (!part.detail) {
            SeriesRowCells::FillValueRow(valueCells.data(), count, m_doc.GetCurrent(), s, m_energy, m_dtFormat);
            SeriesRowCells::SetGripperState(valueCells[0], m_doc.GetExpanded(s), m_doc.GetInSummary(s));
            row.cells = valueCells.data();
            row.height = printed.valueHeight;
            row.mergeFirst = row.mergeLast = -1;
            GridRowPaint::Paint(painter, row, y, x0, columns.first, columns.last,
                                QRect(origin.x(), y, width, part.height), true);
        } else {
            const std::unique_ptr<CGridCellSeries> graph = SeriesRowCells::MakeGraphCell(nullptr, &m_doc, s);
            std::array<CGridCell*, CGridCtrl::kMaxColumns> detail{};
            detail[0] = detailLeft.get();
            detail[1] = graph.get();
            row.cells = detail.data();
            row.height = printed.detailHeight;
            row.mergeFirst = 1;
            row.mergeLast = count - 1;
            // A part of a detail row taller than a page: the row drawn from
            // above, only its part shown.
            GridRowPaint::Paint(painter, row, y - part.offset, x0, columns.first, columns.last,
                                QRect(origin.x(), y, width, part.height), true);
        }
        y += part.height;
    }
    painter.restore();
}

bool CTablePrintLayout::Print(QPrinter& printer, const SPrintInfo& info)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / kTableUnitsPerInch;
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.scale(scale, scale);
    const SFrameMetrics metrics = PrinterFont::Metrics(painter);
    const SPageRegions regions = PageRegions(paper.width() / scale, paper.height() / scale, metrics);
    const SPages pages = Paginate(regions.body.width, regions.body.height);
    const int count = pages.Count();

    QFont cellFont = m_options.font;
    cellFont.setPixelSize(std::max(QFontInfo(m_options.font).pixelSize(), 6));
    const QFont frameFont = PageFrame::FrameFont(cellFont);
    const QRectF header(regions.header.x, regions.header.y, regions.header.width, regions.header.height);
    const QRectF footer(regions.footer.x, regions.footer.y, regions.footer.width, regions.footer.height);
    const QRectF body(regions.body.x, regions.body.y, regions.body.width, regions.body.height);
    const QPoint origin(static_cast<int>(std::lround(body.x())), static_cast<int>(std::lround(body.y())));

    int page = 0;
    for (const SPageRows& rows : pages.rows) {
        for (const SColumnPage& columns : pages.columns) {
            if (page > 0 && !printer.newPage()) {
                printer.abort();
                painter.end();
                return false;
            }
            ++page;
            PageFrame::DrawHeader(painter, info, header, frameFont);
            painter.save();
            painter.setClipRect(body);
            DrawPage(painter, rows, columns, origin);
            painter.restore();
            PageFrame::DrawFooter(painter, info, page, count, footer, frameFont);
        }
    }
    painter.end();
    return true;
}
