// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/table/GridCellBarRange.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "views/ColorScheme.h"

int CGridCellBarRange::Position(const QRect& rect, double value)
{
    const double v = std::clamp(value, kScaleMin, kScaleMax);
    return rect.left() + static_cast<int>(std::lround(rect.width() * (v - kScaleMin) / (kScaleMax - kScaleMin)));
}

SBarRangeGeometry CGridCellBarRange::Layout(const QRect& rect, const SBarRangeValues& v)
{
    SBarRangeGeometry g;
    // The bar leaves room for the mean marks at the top and bottom edges.
    const int inset = std::min(6, std::max(0, rect.height() / 4));
    const int barTop = rect.top() + inset;
    const int barBottom = rect.bottom() - inset;
    const int xMin = Position(rect, std::min(v.minimum, v.maximum));
    const int xMax = Position(rect, std::max(v.minimum, v.maximum));
    g.outsideBar = QRect(QPoint(xMin, barTop), QPoint(std::max(xMax, xMin + 1) - 1, barBottom));
    if (v.withoutLimits) {
        g.insideBar = g.outsideBar;
    } else {
        const int xLower = Position(rect, std::min(v.lower, v.upper));
        const int xUpper = Position(rect, std::max(v.lower, v.upper));
        g.band = QRect(QPoint(xLower, rect.top() + 1), QPoint(std::max(xUpper, xLower + 1) - 1, rect.bottom() - 1));
        const int left = std::max(xMin, xLower);
        const int right = std::min(std::max(xMax, xMin + 1), std::max(xUpper, xLower + 1));
        if (right > left)
            g.insideBar = QRect(QPoint(left, barTop), QPoint(right - 1, barBottom));
    }
    g.meanX = Position(rect, v.mean);
    const int room = std::min(g.meanX - rect.left(), rect.right() + 1 - g.meanX);
    g.textBox = QRect(g.meanX - room, rect.top(), 2 * room, rect.height());
    return g;
}

void CGridCellBarRange::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context)
{
    DrawBackground(painter, rect, context);
    const bool selected = context.selected && !context.printing;
    const SBarRangeGeometry g = Layout(rect, m_values);
    painter.fillRect(g.outsideBar, CColorScheme::RangeOutside(selected));
    if (!g.band.isNull())
        painter.fillRect(g.band, CColorScheme::LimitBand(selected));
    if (!g.insideBar.isNull())
        painter.fillRect(g.insideBar, CColorScheme::RangeInside(selected));

    QColor text = GetTextColour();
    if (selected)
        text = QColor::fromRgb(0xFFFFFF - (text.rgb() & 0xFFFFFF));
    // Two triangles of five lines each pointing inward from the edges.
    painter.setPen(text);
    for (int k = 0; k < 5; ++k) {
        const int half = 4 - k;
        painter.drawLine(g.meanX - half, rect.top() + k, g.meanX + half, rect.top() + k);
        painter.drawLine(g.meanX - half, rect.bottom() - k, g.meanX + half, rect.bottom() - k);
    }
    if (!GetText().isEmpty() && g.textBox.width() > 0) {
        painter.drawText(g.textBox, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, GetText());
    }
}
