// SPDX-License-Identifier: GPL-3.0-or-later
// The program's pictures: SVG files compiled into the program (app.qrc),
// rendered sharp at every size and screen scale.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace AppIcons {

// The resource path of a picture: ":/brelmora/<name>.svg".
QString ResourcePath(const QString& name);

// A tool-bar and menu icon (sizes 16 to 64 pixels).
QIcon Icon(const QString& name);

// The picture at `size` logical pixels for a screen scale of `scale`.
QPixmap Render(const QString& name, const QSize& size, qreal scale);

// The picture's own size in logical pixels (its view box).
QSize NaturalSize(const QString& name);

} // namespace AppIcons
