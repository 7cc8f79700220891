#include "views/table/GridCellDetailGripper.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "views/ColorScheme.h"

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

void CGridCellDetailGripper::DrawTickBox(QPainter& painter, const QRect& image, bool ticked)
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
