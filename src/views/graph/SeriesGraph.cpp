// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/graph/SeriesGraph.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "views/ColorScheme.h"
#include "views/graph/SeriesGraphBlocks.h"
#include "views/ViewText.h"

using SeriesGraphBlocks::SContext;

SSeriesGraphData MakeSeriesGraphData(const CPaperDoc& doc, int s)
{
    SSeriesGraphData d;
    if (s < 0 || s >= doc.GetCount())
        return d;
    d.impacts = doc.GetImpactCount(s);
    d.rValues = doc.GetRFlag(s) == 1;
    d.valueBytes.resize(static_cast<size_t>(d.impacts));
    for (int k = 0; k < d.impacts; ++k)
        d.valueBytes[static_cast<size_t>(k)] = doc.GetValue(s, k, !d.rValues);
    // An unset order (-1) is shown as measurement order.
    d.orderedByValue = doc.GetGraphOrder(s) == 1;
    d.autoAxis = doc.GetAutoAxis(s);
    d.lowerByte = doc.GetLowerLimit(s);
    d.upperByte = doc.GetUpperLimit(s);
    d.withoutLimits = SeriesPageText::IsWithoutLimits(doc.GetCurrent(), s);
    d.decimals = doc.GetDisplayInfo(s);
    const SeriesStatistics st = doc.ComputeStatistics(s);
    d.mean = d.rValues ? st.meanR : st.meanQ;
    d.stdDev = d.rValues ? st.stdDevR : st.stdDevQ;
    d.minimum = st.minR;
    d.maximum = st.maxR;
    d.range = st.range;
    d.unit = ViewText::Q(doc.GetUnitText(s));
    d.lowerText = ViewText::Q(doc.GetLowerLimitText(s));
    d.upperText = ViewText::Q(doc.GetUpperLimitText(s));
    d.serial = ViewText::Q(doc.GetSerial(s));
    d.comment = ViewText::Q(doc.GetComment(s));
    return d;
}

namespace {

QFont PixelFont(const QFont& font)
{
    // Sizes in pixels keep the layout the same on every device (a printer
    // or an SVG generator has its own resolution; the caller scales).
    QFont f = font;
    if (f.pixelSize() <= 0)
        f.setPixelSize(std::max(QFontInfo(font).pixelSize(), 6));
    return f;
}

} // namespace

int CSeriesGraph::Paint(QPainter& painter, const QRect& cell, const SSeriesGraphData& data, const SStyle& style,
                        bool measure, std::vector<SSensitiveArea>* areas)
{
    using namespace SeriesGraphBlocks;
    SContext ctx(painter);
    ctx.draw = false;
    ctx.printing = style.printing;
    ctx.hovered = style.printing ? areaNone : style.hovered;
    ctx.SetFonts(PixelFont(style.font));

    painter.save();
    if (!measure && style.fillBackground && !style.printing)
        painter.fillRect(cell, CColorScheme::GraphBackground());

    const int m = kMargin;
    const int width = std::max(cell.width(), kMinWidth);
    const int x0 = cell.left();
    const int y0 = cell.top();
    const int right = x0 + width;
    const int n = data.impacts;
    const QRect diagramBand(x0 + m, y0 + m, 0, kTopBand - 2 * m);

    // Sizes first (measure mode), then positions, then the drawing.
    const QSize stats = Statistics(ctx, QPoint(), data);
    const QSize settings = Settings(ctx, QPoint(), data);

    QRect diagram, valuesRect, statsRect, settingsRect, commentRect;
    int listHeight = kTopBand;
    if (n <= 25) {
        const QSize values = Values(ctx, QPoint(), listHeight, data);
        statsRect = QRect(QPoint(right - m - stats.width(), y0 + m), stats);
        valuesRect = QRect(QPoint(statsRect.left() - m - values.width(), y0 + m), values);
        diagram = QRect(diagramBand.left(), diagramBand.top(), std::max(valuesRect.left() - m - diagramBand.left(), 50),
                        diagramBand.height());
        settingsRect = QRect(QPoint(statsRect.left(), statsRect.bottom() + 1 + m), settings);
        commentRect = QRect(settingsRect.left(), settingsRect.bottom() + 1 + m, right - settingsRect.left() - 2 * m, 0);
    } else if (n <= 50) {
        const QSize values = Values(ctx, QPoint(), listHeight, data);
        valuesRect = QRect(QPoint(right - m - values.width(), y0 + m), values);
        diagram = QRect(diagramBand.left(), diagramBand.top(), std::max(valuesRect.left() - m - diagramBand.left(), 50),
                        diagramBand.height());
        const int lower = y0 + kTopBand;
        statsRect = QRect(QPoint(x0 + m, lower), stats);
        settingsRect = QRect(QPoint(statsRect.right() + 1 + m, lower), settings);
        commentRect = QRect(x0 + m, std::max(statsRect.bottom(), settingsRect.bottom()) + 1 + m, width - 2 * m, 0);
    } else {
        diagram = QRect(diagramBand.left(), diagramBand.top(), width - 2 * m, diagramBand.height());
        listHeight = 210;
        QSize values = Values(ctx, QPoint(), listHeight, data);
        const bool stacked = width < m + values.width() + m + settings.width() + m + stats.width() + m;
        if (stacked) {
            listHeight = std::max(listHeight, stats.height() + m + settings.height());
            values = Values(ctx, QPoint(), listHeight, data);
        }
        for (int guard = 0; guard < 200 && width < m + values.width() + m + stats.width() + m; ++guard) {
            listHeight += 20;
            values = Values(ctx, QPoint(), listHeight, data);
        }
        const int lower = y0 + kTopBand;
        valuesRect = QRect(QPoint(x0 + m, lower), values);
        statsRect = QRect(QPoint(valuesRect.right() + 1 + m, lower), stats);
        if (stacked)
            settingsRect = QRect(QPoint(statsRect.left(), statsRect.bottom() + 1 + m), settings);
        else
            settingsRect = QRect(QPoint(statsRect.right() + 1 + m, lower), settings);
        commentRect = QRect(statsRect.left(), std::max(statsRect.bottom(), settingsRect.bottom()) + 1 + m,
                            right - statsRect.left() - 2 * m, 0);
    }
    const QSize comment = Comment(ctx, commentRect.topLeft(), commentRect.width(), data);
    commentRect.setHeight(comment.height());

    int bottom = std::max({diagram.bottom(), valuesRect.bottom(), statsRect.bottom(), settingsRect.bottom(),
                           commentRect.bottom()}) + 1 + m - y0;
    if (n <= 25)
        bottom = std::max(bottom, kTopBand);

    if (!measure) {
        ctx.draw = true;
        ctx.areas = areas;
        if (areas != nullptr)
            areas->clear();
        Diagram(ctx, diagram, data);
        Values(ctx, valuesRect.topLeft(), listHeight, data);
        Statistics(ctx, statsRect.topLeft(), data);
        Settings(ctx, settingsRect.topLeft(), data);
        Comment(ctx, commentRect.topLeft(), commentRect.width(), data);
    }
    painter.restore();
    return bottom;
}

int CSeriesGraph::Measure(const QRect& cell, const SSeriesGraphData& data, const QFont& font)
{
    static QImage image(1000, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    SStyle style;
    style.font = font;
    return Paint(painter, QRect(0, 0, cell.width(), cell.height()), data, style, true, nullptr);
}

void CSeriesGraph::DrawAxisIcon(QPainter& painter, const QRect& rect, bool autoAxis)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(CColorScheme::Link(), 1));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRoundedRect(r, 2, 2);
    const double w = r.width(), h = r.height();
    // Three small bars.
    painter.setPen(Qt::NoPen);
    painter.setBrush(CColorScheme::BarInside());
    const double barW = w * 0.16;
    const double base = r.bottom() - h * 0.15;
    const double heights[3] = {0.35, 0.55, 0.45};
    for (int k = 0; k < 3; ++k) {
        const double x = r.left() + w * 0.14 + k * (barW + w * 0.06);
        painter.drawRect(QRectF(x, base - h * heights[k], barW, h * heights[k]));
    }
    // Right: a double arrow that follows the values, or a bar that fixes them.
    painter.setPen(QPen(CColorScheme::Text(), std::max(1.0, w / 14)));
    painter.setBrush(Qt::NoBrush);
    const double ax = r.left() + w * 0.80;
    const double top = r.top() + h * 0.15;
    const double bottom = r.bottom() - h * 0.15;
    if (autoAxis) {
        painter.drawLine(QPointF(ax, top), QPointF(ax, bottom));
        const double a = w * 0.12;
        QPainterPath arrows;
        arrows.moveTo(ax - a, top + a);
        arrows.lineTo(ax, top);
        arrows.lineTo(ax + a, top + a);
        arrows.moveTo(ax - a, bottom - a);
        arrows.lineTo(ax, bottom);
        arrows.lineTo(ax + a, bottom - a);
        painter.drawPath(arrows);
    } else {
        painter.drawLine(QPointF(ax, top), QPointF(ax, bottom));
        painter.drawLine(QPointF(ax - w * 0.1, top), QPointF(ax + w * 0.1, top));
        painter.drawLine(QPointF(ax - w * 0.1, bottom), QPointF(ax + w * 0.1, bottom));
    }
    painter.restore();
}
