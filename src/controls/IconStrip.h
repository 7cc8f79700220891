// SPDX-License-Identifier: GPL-3.0-or-later
// CIconStrip: icons of one size cut from one strip picture (the context
// menus' icons).  The strip is drawn by a callback at the screen's pixel
// ratio, so the icons stay sharp at high resolution.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <functional>

class QPainter;

class CIconStrip {
public:
    // draw(painter, index, rect) paints icon `index` into `rect`.
    using Painter = std::function<void(QPainter&, int, const QRect&)>;

    CIconStrip(QSize iconSize, int count, Painter draw);

    // The icon at `index` (null icon for a bad index).
    QIcon Icon(int index) const;
    // The strip at a device pixel ratio.
    QPixmap Strip(qreal ratio) const;
    QSize IconSize() const { return m_size; }
    int Count() const { return m_count; }

private:
    QSize m_size;
    int m_count;
    Painter m_draw;
};
