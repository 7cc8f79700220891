#include "views/print/TablePrinter.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

#include "controls/GridCtrl.h"
#include "views/print/PageFrame.h"
#include "views/print/PrinterFont.h"
#include "views/print/PrintLayout.h"

namespace TablePrinter {

std::vector<int> PrintedRows(const CGridCtrl& grid, bool selectionOnly)
{
    std::vector<int> rows;
    for (int r = 1; r < grid.GetRowCount(); ++r) {
        if (grid.GetRowHeight(r) == 0)
            continue;
        if (selectionOnly && !grid.IsCellSelected(r, 1))
            continue;
        rows.push_back(r);
    }
    return rows;
}

bool Print(QPrinter& printer, CGridCtrl& grid, const std::vector<int>& rows, const SPrintInfo& info)
{
    using namespace PrintLayout;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / kTableUnitsPerInch;
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.scale(scale, scale);
    const SFrameMetrics metrics = PrinterFont::Metrics(painter);
    const SPageRegions regions = PageRegions(paper.width() / scale, paper.height() / scale, metrics);

    std::vector<int> heights;
    heights.reserve(rows.size());
    for (int r : rows)
        heights.push_back(grid.GetRowHeight(r));
    const int headerHeight = grid.GetRowHeight(0);
    const std::vector<SRowPage> rowPages = DistributeRows(heights, regions.body.height, headerHeight);
    const std::vector<SColumnPage> columnPages = SplitColumns(grid.GetColumnWidths(), regions.body.width);
    const int count = static_cast<int>(rowPages.size() * std::max<size_t>(columnPages.size(), 1));

    QFont cellFont = grid.font();
    cellFont.setPixelSize(std::max(QFontInfo(grid.font()).pixelSize(), 6));
    const QFont frameFont = PageFrame::FrameFont(cellFont);
    const QRectF header(regions.header.x, regions.header.y, regions.header.width, regions.header.height);
    const QRectF footer(regions.footer.x, regions.footer.y, regions.footer.width, regions.footer.height);
    const QRectF body(regions.body.x, regions.body.y, regions.body.width, regions.body.height);
    const QPoint origin(static_cast<int>(std::lround(body.x())), static_cast<int>(std::lround(body.y())));

    int page = 0;
    for (const SRowPage& rowPage : rowPages) {
        for (const SColumnPage& columns : columnPages) {
            if (page > 0 && !printer.newPage()) {
                printer.abort();
                painter.end();
                return false;
            }
            ++page;
            PageFrame::DrawHeader(painter, info, header, frameFont);
            painter.save();
            painter.setClipRect(body);
            grid.DrawRange(painter, SCellRange{0, columns.first, 0, columns.last}, origin, true);
            int y = origin.y() + headerHeight;
            for (int k = rowPage.first; k < rowPage.last; ++k) {
                const int r = rows[static_cast<size_t>(k)];
                grid.DrawRange(painter, SCellRange{r, columns.first, r, columns.last}, QPoint(origin.x(), y), true);
                y += grid.GetRowHeight(r);
            }
            painter.restore();
            PageFrame::DrawFooter(painter, info, page, count, footer, frameFont);
        }
    }
    painter.end();
    return true;
}

} // namespace TablePrinter
