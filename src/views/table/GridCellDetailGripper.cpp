// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/table/GridCellDetailGripper.h"

#include <QFontMetrics>
#include <QPainter>

#include "views/GripperPictures.h"

namespace {

QRect ImageRect(const QRect& cell, int left)
{
    const int top = cell.top() + (cell.height() - CGridCellDetailGripper::kImageHeight) / 2;
    return QRect(cell.left() + left, top, CGridCellDetailGripper::kImageWidth, CGridCellDetailGripper::kImageHeight);
}

} // namespace

CGridCellDetailGripper::Hit CGridCellDetailGripper::HitTest(const QPoint& local, int cellHeight)
{
    const QRect cell(0, 0, kTickLeft + kImageWidth + 1, cellHeight);
    if (ImageRect(cell, kExpandLeft).contains(local))
        return hitExpand;
    if (ImageRect(cell, kTickLeft).contains(local))
        return hitTick;
    return hitNone;
}

void CGridCellDetailGripper::DrawExpandSign(QPainter& painter, const QRect& image, bool expanded)
{
    GripperPictures::DrawExpandSign(painter, image, expanded);
}

void CGridCellDetailGripper::DrawTickBox(QPainter& painter, const QRect& image, bool ticked)
{
    GripperPictures::DrawTickBox(painter, image, ticked);
}

void CGridCellDetailGripper::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context)
{
    DrawBackground(painter, rect, context);
    DrawExpandSign(painter, ImageRect(rect, kExpandLeft), m_expanded);
    DrawTickBox(painter, ImageRect(rect, kTickLeft), m_ticked);
    const QRect textRect = rect.adjusted(kTickLeft + kImageWidth, 0, 0, 0);
    DrawTextIn(painter, textRect, GetText(), context);
}

int CGridCellDetailGripper::GetExtentWidth(const QFontMetrics& metrics) const
{
    return kTickLeft + kImageWidth + CGridCell::GetExtentWidth(metrics);
}

bool CGridCellDetailGripper::OnMouseMove(const QPoint& local, const QRect& rect, Qt::CursorShape& cursor)
{
    cursor = HitTest(local, rect.height()) != hitNone ? Qt::PointingHandCursor : Qt::ArrowCursor;
    return false;
}
