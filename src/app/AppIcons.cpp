// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcons.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

// The pictures live in a static library: their resource data is linked in
// only when something refers to it.
static void InitAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace AppIcons {

QString ResourcePath(const QString& name)
{
    static const bool initialised = [] {
        InitAppResources();
        return true;
    }();
    (void)initialised;
    return QStringLiteral(":/brelmora/") + name + QStringLiteral(".svg");
}

QPixmap Render(const QString& name, const QSize& size, qreal scale)
{
    QSvgRenderer renderer(ResourcePath(name));
    const QSize pixels(static_cast<int>(std::lround(size.width() * scale)),
                       static_cast<int>(std::lround(size.height() * scale)));
    if (!renderer.isValid() || pixels.isEmpty())
        return QPixmap();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

namespace {

// The disabled look: grey and faded, so it recedes on light and dark
// backgrounds alike (Qt's own lightens, which stands out on dark ones).
QPixmap Faded(const QPixmap& pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 2 / 5);
        }
    }
    QPixmap faded = QPixmap::fromImage(image);
    faded.setDevicePixelRatio(pixmap.devicePixelRatio());
    return faded;
}

} // namespace

QIcon Icon(const QString& name)
{
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48, 64}) {
        QPixmap pixmap = Render(name, QSize(size, size), 1.0);
        if (pixmap.isNull())
            continue;
        icon.addPixmap(pixmap, QIcon::Normal);
        icon.addPixmap(Faded(pixmap), QIcon::Disabled);
    }
    return icon;
}

QSize NaturalSize(const QString& name)
{
    QSvgRenderer renderer(ResourcePath(name));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

} // namespace AppIcons
