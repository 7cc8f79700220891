// SPDX-License-Identifier: GPL-3.0-or-later
// The trend chart as a picture and on paper: the window's "Copy as
// picture", its print and PDF, and the outputs without a window all draw
// the same layout of kPictureSize layout pixels (0.2 mm each) with
// TrendPainter.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include "views/trend/TrendPainter.h"

class QPrinter;

namespace TrendPicture {

constexpr QSize kPictureSize(1400, 900);

// The style of every picture and printout: black on white, with the
// window's axis, threshold and font family.
STrendStyle PaperStyle(const STrendStyle& screen);

QByteArray Svg(const Archive::STrendChart& chart, const STrendStyle& style);
QImage Image(const Archive::STrendChart& chart, const STrendStyle& style);
QByteArray Png(const Archive::STrendChart& chart, const STrendStyle& style);

// One landscape page holding the picture's layout, scaled to fit; false
// when the printer cannot be painted on.
bool Print(QPrinter& printer, const Archive::STrendChart& chart, const STrendStyle& style);

} // namespace TrendPicture
