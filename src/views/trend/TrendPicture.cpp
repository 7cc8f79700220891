// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/trend/TrendPicture.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

#include "views/PictureOutput.h"

namespace TrendPicture {

STrendStyle PaperStyle(const STrendStyle& screen)
{
    STrendStyle paper = screen;
    paper.printing = true;
    paper.selected = -1;
    paper.foreground = Qt::black;
    paper.background = Qt::white;
    return paper;
}

QByteArray Svg(const Archive::STrendChart& chart, const STrendStyle& style)
{
    const STrendStyle paper = PaperStyle(style);
    return PictureOutput::Svg(kPictureSize, [&](QPainter& painter) {
        TrendPainter::Paint(painter, QRect(QPoint(0, 0), kPictureSize), chart, paper);
    });
}

QImage Image(const Archive::STrendChart& chart, const STrendStyle& style)
{
    const STrendStyle paper = PaperStyle(style);
    return PictureOutput::Image(kPictureSize, [&](QPainter& painter) {
        TrendPainter::Paint(painter, QRect(QPoint(0, 0), kPictureSize), chart, paper);
    });
}

QByteArray Png(const Archive::STrendChart& chart, const STrendStyle& style)
{
    return PictureOutput::Png(Image(chart, style));
}

bool Print(QPrinter& printer, const Archive::STrendChart& chart, const STrendStyle& style)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The picture's layout scaled into the printable area, centred.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution()).translated(
        -printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    const double scale =
        std::min(page.width() / kPictureSize.width(), page.height() / kPictureSize.height());
    painter.translate((page.width() - kPictureSize.width() * scale) / 2,
                      (page.height() - kPictureSize.height() * scale) / 2);
    painter.scale(scale, scale);
    TrendPainter::Paint(painter, QRect(QPoint(0, 0), kPictureSize), chart, PaperStyle(style));
    return painter.end();
}

} // namespace TrendPicture
