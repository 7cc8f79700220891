// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/PictureOutput.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace PictureOutput {

QByteArray Svg(const QSize& size, const DrawFunction& draw)
{
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
        draw(painter);
    }
    return svg;
}

QImage Image(const QSize& size, const DrawFunction& draw)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        draw(painter);
    }
    image.setDotsPerMeterX(static_cast<int>(kDotsPerInch / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(kDotsPerInch / 0.0254));
    return image;
}

QByteArray Png(const QImage& image)
{
    if (image.isNull())
        return QByteArray();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace PictureOutput
