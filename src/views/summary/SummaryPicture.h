// SPDX-License-Identifier: GPL-3.0-or-later
// The summary as a picture ("Copy as picture", and the picture the desktop
// program writes without a window): the whole layout as SVG and as PNG.
// One layout pixel is 0.2 mm (127 pixels per inch); the SVG keeps a
// transparent background, the PNG is white behind the drawing.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>

struct SSummaryViewData;

namespace SummaryPicture {

// The layout as it is for a client of `clientWidth` pixels, drawn with
// `font`.  An empty summary gives an empty result, and so does an image too
// large to be held in memory.
QByteArray Svg(const SSummaryViewData& data, int clientWidth, const QFont& font);
QImage Image(const SSummaryViewData& data, int clientWidth, const QFont& font);
// The image encoded as PNG.
QByteArray Png(const SSummaryViewData& data, int clientWidth, const QFont& font);

} // namespace SummaryPicture
