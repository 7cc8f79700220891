// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures "Copy as picture" makes of a page: one drawing routine
// rendered into SVG and into an image, both at 127 pixels per inch (one
// layout pixel is 0.2 mm).  The SVG starts transparent, the image white.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <functional>

class QPainter;

namespace PictureOutput {

constexpr int kDotsPerInch = 127;

using DrawFunction = std::function<void(QPainter&)>;

// `draw` rendered into an SVG of `size` pixels.
QByteArray Svg(const QSize& size, const DrawFunction& draw);
// `draw` rendered into a white image of `size` pixels; null when the image
// cannot be held in memory.
QImage Image(const QSize& size, const DrawFunction& draw);
// `image` as PNG bytes; empty for a null image.
QByteArray Png(const QImage& image);

} // namespace PictureOutput
