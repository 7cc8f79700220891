// SPDX-License-Identifier: GPL-3.0-or-later
// The trend chart: one routine draws it on any painter (the archive
// window, a printer, a PDF, an SVG or an image, the clipboard's picture).
// Above, each series' mean with a whisker from its minimum to its maximum,
// the centre line and the control limits, the series' limits when all
// share them, and the marked points; below, each series' coefficient of
// variation against a threshold.  The layout is computed apart from the
// drawing, so that hover and click find the point under the mouse without
// drawing.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>

#include <optional>

#include "archive/TrendChart.h"

class QPainter;

struct STrendStyle {
    QFont font;                    // its family; the size follows the rectangle
    bool timeAxis = true;          // x: measurement time, else sequence number
    double covThreshold = 6.0;     // percent, the reference line of the lower panel
    int selected = -1;             // the point drawn as selected
    bool printing = false;         // printer or picture: white paper, no selection
    QColor foreground = Qt::black;
    QColor background = Qt::white;
};

// Where everything goes in a rectangle.
struct STrendLayout {
    QRect whole, title, main, cov, legend;
    int fontPixels = 12;
    double yMin = 0, yMax = 1, yStep = 1;    // the mean panel's axis
    double covMax = 10, covStep = 2;          // the COV panel's axis, from 0
    uint32_t tMin = 0, tMax = 0;
    bool timeAxis = true;
    size_t count = 0;

    double X(const Archive::STrendChart& chart, size_t point) const;
    double Y(double value) const;
    double CovY(double percent) const;
};

namespace TrendPainter {

STrendLayout Layout(const QRect& rect, const Archive::STrendChart& chart, const STrendStyle& style);

void Paint(QPainter& painter, const QRect& rect, const Archive::STrendChart& chart, const STrendStyle& style);

// The point whose mark is under `pos` (within either panel, nearest in x),
// or none.
std::optional<size_t> PointAt(const STrendLayout& layout, const Archive::STrendChart& chart, const QPoint& pos);

// The tool tip of a point: roll ID, time and values.
QString PointTip(const Archive::STrendChart& chart, size_t point);

} // namespace TrendPainter
