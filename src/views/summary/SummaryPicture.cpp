// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryPicture.h"

#include <QPainter>

#include "views/PictureOutput.h"
#include "views/summary/SummaryDrawing.h"
#include "views/summary/SummaryViewData.h"

namespace SummaryPicture {

namespace {

// The size of the whole layout.
QSize PictureSize(const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    CSummaryDrawing::SStyle style;
    style.font = font;
    SummaryLayout::SListHeightMemory memory;
    const SummaryLayout::SPlacement placement =
        CSummaryDrawing::Paint(painter, data, clientWidth, style, true, memory, nullptr);
    return QSize(placement.extent.width, placement.extent.height);
}

void Draw(QPainter& painter, const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    CSummaryDrawing::SStyle style;
    style.font = font;
    style.printing = true;
    SummaryLayout::SListHeightMemory memory;
    CSummaryDrawing::Paint(painter, data, clientWidth, style, false, memory, nullptr);
}

} // namespace

QByteArray Svg(const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    if (data.IsEmpty())
        return QByteArray();
    return PictureOutput::Svg(PictureSize(data, clientWidth, font),
                              [&](QPainter& painter) { Draw(painter, data, clientWidth, font); });
}

QImage Image(const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    if (data.IsEmpty())
        return QImage();
    return PictureOutput::Image(PictureSize(data, clientWidth, font),
                                [&](QPainter& painter) { Draw(painter, data, clientWidth, font); });
}

QByteArray Png(const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    return PictureOutput::Png(Image(data, clientWidth, font));
}

} // namespace SummaryPicture
