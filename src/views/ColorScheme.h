// SPDX-License-Identifier: GPL-3.0-or-later
// CColorScheme: the one colour table shared by the series table, the series
// graph and the summary.
#pragma once

#include <QColor>

class CColorScheme {
public:
    // Table cells.
    static QColor ValueBackground() { return QColor(242, 245, 253); }
    static QColor GripperBackground() { return QColor(191, 219, 227); }
    static QColor DetailLeftFrom() { return QColor(191, 219, 227); }
    static QColor DetailLeftTo() { return QColor(242, 245, 253); }
    static QColor GraphBackground() { return QColor(242, 245, 253); }

    // The bar-range cell of the mean column (normal / selected).
    static QColor RangeInside(bool selected) { return selected ? QColor(0, 120, 151) : QColor(0, 160, 191); }
    static QColor RangeOutside(bool selected) { return selected ? QColor(0, 41, 49) : QColor(0, 71, 79); }
    static QColor LimitBand(bool selected) { return selected ? QColor(61, 69, 72) : QColor(191, 219, 227); }

    // The series graph.
    static QColor BarInside() { return QColor(0, 160, 191); }
    static QColor BarOutside() { return QColor(0, 71, 79); }
    static QColor LimitBandFill() { return QColor(191, 219, 227); }
    static QColor LimitLine() { return QColor(130, 184, 200); }
    static QColor GridLine() { return QColor(168, 168, 168); }
    static QColor Link() { return QColor(0, 111, 127); }
    static QColor Text() { return QColor(0, 0, 0); }
};
