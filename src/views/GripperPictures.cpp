// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GripperPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace GripperPictures {

void DrawExpandSign(QPainter& painter, const QRect& image, bool expanded)
{
    painter.save();
    const int size = 11;
    const QRect box(image.left() + (image.width() - size) / 2, image.top() + (image.height() - size) / 2, size, size);
    painter.setPen(QColor(90, 110, 120));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(box);
    painter.setPen(QPen(QColor(0, 0, 0), 1));
    const int cy = box.top() + size / 2;
    const int cx = box.left() + size / 2;
    painter.drawLine(box.left() + 3, cy, box.right() - 2, cy);
    if (!expanded)
        painter.drawLine(cx, box.top() + 3, cx, box.bottom() - 2);
    painter.restore();
}

void DrawTickBox(QPainter& painter, const QRect& image, bool ticked)
{
    painter.save();
    const int size = 13;
    const QRect box(image.left() + (image.width() - size) / 2, image.top() + (image.height() - size) / 2, size, size);
    painter.setPen(QColor(90, 110, 120));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(box);
    if (ticked) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 111, 127), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(box.left() + 3, box.top() + 7);
        tick.lineTo(box.left() + 5.5, box.top() + 10);
        tick.lineTo(box.right() - 2.5, box.top() + 3.5);
        painter.drawPath(tick);
    }
    painter.restore();
}

} // namespace GripperPictures
