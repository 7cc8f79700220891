// SPDX-License-Identifier: GPL-3.0-or-later
// CGraphGrid: the axes and the grid of a bar diagram.  It chooses the value
// axis' step for the plot height and the label font, rounds the value range
// outward to whole steps, maps values to pixels, and draws the grid lines,
// the axis lines, the minor ticks and the value labels.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "views/graph/GraphAxis.h"

class QPainter;

class CGraphGrid {
public:
    // Horizontal range (bars are placed by the caller; the range is kept for
    // the mapping) and value range before rounding.
    void SetRangeX(double minimum, double maximum);
    void SetRangeY(double minimum, double maximum);

    // Chooses the value step for a plot of `plotHeight` pixels and labels
    // in `font` (measured on the painter's device), and rounds the value
    // range outward.  Returns the width the labels need left of the axis.
    int LayoutValueAxis(QPainter& painter, const QFont& font, int plotHeight);

    // The plot rectangle: its left edge is the value axis, its bottom edge
    // the horizontal axis.
    void SetPlot(const QRect& plot) { m_plot = plot; }
    const QRect& GetPlot() const { return m_plot; }

    double GetMinY() const { return m_minY; }
    double GetMaxY() const { return m_maxY; }
    const GraphAxis::SStep& GetStepY() const { return m_stepY; }

    // Pixel of a value (clamped to the plot).
    int ValueToY(double value) const;
    int XToPixel(double x) const;

    // Grid lines (grey), value labels left of the axis, minor ticks at half
    // steps, and the two axis lines.
    void Draw(QPainter& painter, const QFont& font) const;

private:
    double m_minX = -0.5, m_maxX = 0.5;
    double m_minY = 0, m_maxY = 90;
    GraphAxis::SStep m_stepY;
    QRect m_plot;
};
