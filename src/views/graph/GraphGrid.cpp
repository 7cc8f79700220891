// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/graph/GraphGrid.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "views/ColorScheme.h"

void CGraphGrid::SetRangeX(double minimum, double maximum)
{
    m_minX = minimum;
    m_maxX = maximum > minimum ? maximum : minimum + 1.0;
}

void CGraphGrid::SetRangeY(double minimum, double maximum)
{
    m_minY = minimum;
    m_maxY = maximum > minimum ? maximum : minimum + 1.0;
}

int CGraphGrid::LayoutValueAxis(QPainter& painter, const QFont& font, int plotHeight)
{
    const QFontMetricsF metrics(font, painter.device());
    const double labelHeight = metrics.height();
    m_stepY = GraphAxis::ChooseStep(m_maxY - m_minY, std::max(plotHeight, 1),
                                    [labelHeight](const GraphAxis::SStep&) { return labelHeight; });
    GraphAxis::RoundOutward(m_minY, m_maxY, m_stepY.value);
    double widest = 0;
    const int steps = static_cast<int>(std::lround((m_maxY - m_minY) / m_stepY.value));
    for (int k = 0; k <= steps; ++k) {
        const double v = m_minY + k * m_stepY.value;
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(GraphAxis::FormatLabel(v, m_stepY))));
    }
    return static_cast<int>(std::ceil(widest)) + 6;
}

int CGraphGrid::ValueToY(double value) const
{
    value = std::clamp(value, m_minY, m_maxY);
    const double t = (value - m_minY) / (m_maxY - m_minY);
    return m_plot.bottom() - static_cast<int>(std::lround(t * m_plot.height()));
}

int CGraphGrid::XToPixel(double x) const
{
    const double t = (x - m_minX) / (m_maxX - m_minX);
    return m_plot.left() + static_cast<int>(std::lround(t * m_plot.width()));
}

void CGraphGrid::Draw(QPainter& painter, const QFont& font) const
{
    painter.save();
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const int steps = static_cast<int>(std::lround((m_maxY - m_minY) / m_stepY.value));
    for (int k = 0; k <= steps; ++k) {
        const double v = m_minY + k * m_stepY.value;
        const int y = ValueToY(v);
        if (k > 0) {
            painter.setPen(CColorScheme::GridLine());
            painter.drawLine(m_plot.left() + 1, y, m_plot.right(), y);
        }
        painter.setPen(CColorScheme::Text());
        painter.drawLine(m_plot.left() - 4, y, m_plot.left(), y);
        const QString label = QString::fromStdString(GraphAxis::FormatLabel(v, m_stepY));
        const QRect box(m_plot.left() - 6 - metrics.horizontalAdvance(label) - 2, y - metrics.height() / 2,
                        metrics.horizontalAdvance(label) + 2, metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, label);
        // Minor tick half a step higher.
        if (k < steps) {
            const int yMinor = ValueToY(v + m_stepY.value / 2);
            painter.drawLine(m_plot.left() - 2, yMinor, m_plot.left(), yMinor);
        }
    }
    painter.setPen(QPen(CColorScheme::Text(), 1));
    painter.drawLine(m_plot.left(), m_plot.top(), m_plot.left(), m_plot.bottom());
    painter.drawLine(m_plot.left(), m_plot.bottom(), m_plot.right(), m_plot.bottom());
    painter.restore();
}
