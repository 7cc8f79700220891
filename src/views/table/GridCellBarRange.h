// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCellBarRange: the mean column's cell.  On a scale of 0 to 100 it
// draws the range bar from the series' minimum to its maximum (outside
// colour), the limit band, the part of the bar inside the limits (inside
// colour), two small triangles at the mean and the text centred on the mean.
#pragma once

#include "controls/GridCell.h"

struct SBarRangeValues {
    double mean = 0, minimum = 0, maximum = 0, lower = 0, upper = 100;
    bool withoutLimits = true;
};

// Where the parts of the cell go, for a cell rectangle.
struct SBarRangeGeometry {
    QRect outsideBar;   // minimum to maximum
    QRect band;         // lower to upper limit; null without limits
    QRect insideBar;    // the part of the bar within the limits; null when none
    int meanX = 0;
    QRect textBox;      // centred on the mean, as wide as the room on its narrower side allows
};

class CGridCellBarRange : public CGridCell {
public:
    static constexpr double kScaleMin = 0.0;
    static constexpr double kScaleMax = 100.0;

    void SetValues(const SBarRangeValues& values) { m_values = values; }
    const SBarRangeValues& GetValues() const { return m_values; }

    static SBarRangeGeometry Layout(const QRect& rect, const SBarRangeValues& values);
    // Horizontal position of a value (clamped to the scale).
    static int Position(const QRect& rect, double value);

    void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) override;

private:
    SBarRangeValues m_values;
};
