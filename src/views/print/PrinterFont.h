// SPDX-License-Identifier: GPL-3.0-or-later
// The printer font ("Arial", 11 logical units, normal weight) and the
// frame metrics measured with it on a printer's painter: the average
// character width and the line height, in the painter's logical units.
#pragma once

#include <QFont>

#include "views/print/PrintLayout.h"

class QPainter;

namespace PrinterFont {

QFont Font();
PrintLayout::SFrameMetrics Metrics(const QPainter& painter);

} // namespace PrinterFont
