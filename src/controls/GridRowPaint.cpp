// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/GridRowPaint.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

#include "controls/GridCell.h"
#include "controls/GridColours.h"

namespace GridRowPaint {

void PaintHeaderCell(QPainter& painter, const CGridCell* cell, const QRect& rect, bool sortMark, bool ascending)
{
    painter.fillRect(rect, GridColours::HeaderBackground());
    painter.setPen(GridColours::HeaderLine());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    QRect textRect = rect.adjusted(CGridCell::kTextMargin, 0, -CGridCell::kTextMargin, 0);
    if (sortMark) {
        // The sort mark: a small triangle at the right, up for ascending.
        const int size = 4;
        const int cx = rect.right() - 8;
        const int cy = rect.center().y();
        QPolygon mark;
        if (ascending)
            mark << QPoint(cx - size, cy + size / 2) << QPoint(cx + size, cy + size / 2) << QPoint(cx, cy - size / 2 - 1);
        else
            mark << QPoint(cx - size, cy - size / 2) << QPoint(cx + size, cy - size / 2) << QPoint(cx, cy + size / 2 + 1);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(GridColours::HeaderText());
        painter.drawPolygon(mark);
        painter.restore();
        textRect.setRight(textRect.right() - 12);
    }
    if (cell != nullptr && !cell->GetText().isEmpty()) {
        painter.setPen(GridColours::HeaderText());
        const QString shown = painter.fontMetrics().elidedText(cell->GetText(), Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
}

void Paint(QPainter& painter, const SRow& row, int y, int x0, int firstCol, int lastCol, const QRect& clip,
           bool printing)
{
    const int* widths = row.widths;
    lastCol = std::min(lastCol, row.columns - 1);
    int x = x0;
    for (int c = 0; c < firstCol; ++c)
        x += widths[c];
    for (int c = firstCol; c <= lastCol; ++c) {
        int first = c, last = c;
        if (row.mergeFirst >= 0 && c >= row.mergeFirst && c <= row.mergeLast) {
            first = row.mergeFirst;
            last = row.mergeLast;
        }
        int left = x;
        for (int k = first; k < c; ++k)
            left -= widths[k];
        int width = 0;
        for (int k = first; k <= last; ++k)
            width += widths[k];
        // Move on past the whole merged range.
        for (int k = c; k <= last; ++k)
            x += widths[k];
        const int next = last;
        const QRect rect(left, y, width, row.height);
        if (width > 0 && rect.intersects(clip)) {
            painter.save();
            painter.setClipRect(rect.intersected(clip));
            CGridCell* cell = row.cells[first];
            if (row.header) {
                PaintHeaderCell(painter, cell, rect, !printing && first == row.sortColumn, row.sortAscending);
            } else {
                SCellDrawContext context;
                context.printing = printing;
                uint32_t mask = 0;
                for (int k = first; k <= last; ++k)
                    mask |= 1u << k;
                context.selected = (row.selection & mask) != 0;
                context.focused = !printing && row.focusColumn == first;
                context.clip = rect.intersected(clip);
                if (cell != nullptr)
                    cell->Draw(painter, rect, context);
                else
                    painter.fillRect(rect, GridColours::CellBackground());
                painter.setPen(GridColours::GridLine());
                painter.drawLine(rect.topRight(), rect.bottomRight());
                painter.drawLine(rect.bottomLeft(), rect.bottomRight());
                if (context.focused) {
                    QPen pen(GridColours::FocusFrame());
                    pen.setStyle(Qt::DotLine);
                    painter.setPen(pen);
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(rect.adjusted(1, 1, -2, -2));
                }
            }
            painter.restore();
        }
        c = next;
        if (!printing && x > clip.right() + 1)
            break;
    }
}

} // namespace GridRowPaint
