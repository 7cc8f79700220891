// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/MenuIcons.h"

#include <QPainter>
#include <QPainterPath>

#include "controls/IconStrip.h"
#include "views/ColorScheme.h"
#include "views/GripperPictures.h"

namespace MenuIcons {

namespace {

void DrawSheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(70, 80, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 160, 170), 1));
    for (double y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Draw(QPainter& p, int index, const QRect& rect)
{
    p.save();
    const QRectF r = QRectF(rect).adjusted(2.5, 2.5, -2.5, -2.5);
    switch (index) {
    case expandAll:
    case collapseAll: {
        const QRect upper(rect.left(), rect.top() - 4, rect.width(), rect.height());
        const QRect lower(rect.left(), rect.top() + 4, rect.width(), rect.height());
        GripperPictures::DrawExpandSign(p, upper, index == collapseAll);
        GripperPictures::DrawExpandSign(p, lower, index == collapseAll);
        break;
    }
    case allInSummary:
    case noneInSummary:
        GripperPictures::DrawTickBox(p, rect, index == allInSummary);
        break;
    case cut: {
        p.setPen(QPen(QColor(40, 40, 40), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(r.left() + 4, r.top()), QPointF(r.center().x() + 2, r.bottom() - 5));
        p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.center().x() - 2, r.bottom() - 5));
        p.setPen(QPen(CColorScheme::Link(), 1.6));
        p.drawEllipse(QPointF(r.left() + 4, r.bottom() - 2.5), 2.5, 2.5);
        p.drawEllipse(QPointF(r.right() - 4, r.bottom() - 2.5), 2.5, 2.5);
        break;
    }
    case copy:
        DrawSheet(p, QRectF(r.left() + 1, r.top(), r.width() * 0.6, r.height() * 0.75));
        DrawSheet(p, QRectF(r.left() + r.width() * 0.35, r.top() + r.height() * 0.25, r.width() * 0.6, r.height() * 0.75));
        break;
    case paste: {
        p.setPen(QPen(QColor(90, 60, 30), 1));
        p.setBrush(QColor(200, 160, 100));
        p.drawRoundedRect(QRectF(r.left() + 1, r.top() + 1, r.width() * 0.7, r.height() - 1), 1.5, 1.5);
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.3, 3));
        DrawSheet(p, QRectF(r.left() + r.width() * 0.4, r.top() + r.height() * 0.35, r.width() * 0.6, r.height() * 0.65));
        break;
    }
    case remove: {
        p.setPen(QPen(QColor(200, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
        const QRectF x = r.adjusted(2, 1.5, -2, -1.5);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
        break;
    }
    default:
        break;
    }
    p.restore();
}

const CIconStrip& Strip()
{
    static const CIconStrip strip(QSize(20, 19), count, &Draw);
    return strip;
}

} // namespace

QIcon Get(Icon icon)
{
    return Strip().Icon(icon);
}

} // namespace MenuIcons
