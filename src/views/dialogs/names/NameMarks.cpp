// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/names/NameMarks.h"

#include <QPainter>
#include <algorithm>
#include <QPainterPath>

#include "controls/IconStrip.h"

namespace NameMarks {

namespace {

void Draw(QPainter& painter, int index, const QRect& rect)
{
    const QRectF r = QRectF(rect).adjusted(3.5, 2.5, -3.5, -2.5);
    const QPointF c = r.center();
    painter.save();
    switch (index) {
    case stored: {
        // A green tick.
        QPen pen(QColor(0x1E, 0x8C, 0x3A), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        QPainterPath tick;
        tick.moveTo(r.left() + 1.5, c.y() + 0.5);
        tick.lineTo(c.x() - 1.5, r.bottom() - 1.5);
        tick.lineTo(r.right() - 1.0, r.top() + 1.5);
        painter.drawPath(tick);
        break;
    }
    case writing: {
        // An orange arrow pointing into the instrument.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xE8, 0x7A, 0x10));
        QPainterPath arrow;
        arrow.moveTo(r.left(), c.y() - 2.0);
        arrow.lineTo(c.x(), c.y() - 2.0);
        arrow.lineTo(c.x(), r.top());
        arrow.lineTo(r.right(), c.y());
        arrow.lineTo(c.x(), r.bottom());
        arrow.lineTo(c.x(), c.y() + 2.0);
        arrow.lineTo(r.left(), c.y() + 2.0);
        arrow.closeSubpath();
        painter.drawPath(arrow);
        break;
    }
    case noName: {
        // A grey open circle with a bar: an empty slot.
        QPen pen(QColor(0x90, 0x90, 0x90), 1.4);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const double radius = std::min(r.width(), r.height()) / 2.0 - 0.5;
        painter.drawEllipse(c, radius, radius);
        painter.drawLine(QPointF(c.x() - radius * 0.55, c.y()), QPointF(c.x() + radius * 0.55, c.y()));
        break;
    }
    default: break;
    }
    painter.restore();
}

const CIconStrip& Strip()
{
    static const CIconStrip strip(QSize(kWidth, kHeight), count, Draw);
    return strip;
}

} // namespace

QIcon Get(Mark mark)
{
    return Strip().Icon(mark);
}

} // namespace NameMarks
