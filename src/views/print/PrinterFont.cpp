// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/print/PrinterFont.h"

#include <QFontMetricsF>
#include <QPainter>

namespace PrinterFont {

QFont Font()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(PrintLayout::kPrinterFontHeight);
    font.setWeight(QFont::Normal);
    return font;
}

PrintLayout::SFrameMetrics Metrics(const QPainter& painter)
{
    const QFontMetricsF metrics(Font(), painter.device());
    PrintLayout::SFrameMetrics m;
    m.charWidth = PrintLayout::AverageCharWidth(
        metrics.horizontalAdvance(QString::fromStdU16String(std::u16string(PrintLayout::kAverageCharText))));
    m.lineHeight = metrics.height();
    return m;
}

} // namespace PrinterFont
