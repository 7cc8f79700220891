#include "views/summary/SummaryPicture.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

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
    const QSize size = PictureSize(data, clientWidth, font);
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(kDotsPerInch);
    generator.setTitle(QStringLiteral("Brelmora"));
    {
        QPainter painter(&generator);
        Draw(painter, data, clientWidth, font);
    }
    return svg;
}

QImage Image(const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    if (data.IsEmpty())
        return QImage();
    QImage image(PictureSize(data, clientWidth, font), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        Draw(painter, data, clientWidth, font);
    }
    image.setDotsPerMeterX(static_cast<int>(kDotsPerInch / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(kDotsPerInch / 0.0254));
    return image;
}

QByteArray Png(const SSummaryViewData& data, int clientWidth, const QFont& font)
{
    const QImage image = Image(data, clientWidth, font);
    if (image.isNull())
        return QByteArray();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace SummaryPicture
