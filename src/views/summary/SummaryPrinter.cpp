// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryPrinter.h"

#include <QFontInfo>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

#include "views/print/PageFrame.h"
#include "views/print/PrinterFont.h"
#include "views/print/PrintLayout.h"
#include "views/summary/SummaryDrawing.h"
#include "views/summary/SummaryViewData.h"

namespace SummaryPrinter {

bool Print(QPrinter& printer, const SSummaryViewData& data, int clientWidth, const QFont& font,
           const SPrintInfo& info)
{
    using namespace PrintLayout;
    if (data.IsEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    CSummaryDrawing::SStyle style;
    style.font = font;
    style.printing = true;
    SummaryLayout::SListHeightMemory memory;
    const SummaryLayout::SPlacement layout =
        CSummaryDrawing::Paint(painter, data, clientWidth, style, true, memory, nullptr);

    // Font sizes are in pixels, so the printer font measures the same
    // before and after the page's scaling.
    const SFrameMetrics metrics = PrinterFont::Metrics(painter);
    const SSummaryPage page = SummaryPage(layout.layoutWidth, metrics.charWidth, paper.width(), paper.height());
    const double scale = paper.width() / page.width;
    painter.scale(scale, scale);
    const SPageRegions regions = PageRegions(page.width, page.height, metrics);

    QFont frameFont = font;
    frameFont.setPixelSize(std::max(QFontInfo(font).pixelSize(), 6));
    frameFont = PageFrame::FrameFont(frameFont);
    PageFrame::DrawHeader(painter, info,
                          QRectF(regions.header.x, regions.header.y, regions.header.width, regions.header.height),
                          frameFont);

    const double fit = FitScale(layout.extent.height, regions.body.height);
    painter.save();
    painter.translate(-page.originX, regions.body.y);
    painter.scale(fit, fit);
    CSummaryDrawing::Paint(painter, data, clientWidth, style, false, memory, nullptr);
    painter.restore();

    PageFrame::DrawFooter(painter, info, 1, 1,
                          QRectF(regions.footer.x, regions.footer.y, regions.footer.width, regions.footer.height),
                          frameFont);
    return painter.end();
}

} // namespace SummaryPrinter
