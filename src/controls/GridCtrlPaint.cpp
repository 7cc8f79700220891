// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: drawing.  The screen, printers and pictures go through DrawRow,
// which hands the row to GridRowPaint (each cell's own Draw).
#include "controls/GridCtrl.h"

#include <QFontInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <array>

#include "controls/GridColours.h"
#include "controls/GridRowPaint.h"

void CGridCtrl::SetRedraw(bool on)
{
    if (m_redraw == on)
        return;
    m_redraw = on;
    viewport()->setUpdatesEnabled(on);
    if (on) {
        UpdateScrollBars();
        PlaceEditor();
        viewport()->update();
    }
}

void CGridCtrl::RedrawRow(int row)
{
    if (!m_redraw || row < 0 || row >= GetRowCount())
        return;
    if (GetRowHeight(row) == 0)
        return;
    const QRect rect = GetCellRect(row, 0);
    viewport()->update(QRect(0, rect.top(), viewport()->width(), rect.height()));
}

void CGridCtrl::RedrawAll()
{
    if (m_redraw)
        viewport()->update();
}

QSize CGridCtrl::GetRangeSize(const SCellRange& range) const
{
    if (!range.IsValid())
        return QSize();
    int width = 0;
    for (int c = range.minCol; c <= range.maxCol && c < GetColumnCount(); ++c)
        width += GetColumnWidth(c);
    int height = 0;
    for (int r = range.minRow; r <= range.maxRow && r < GetRowCount(); ++r)
        height += GetRowHeight(r);
    return QSize(width, height);
}

void CGridCtrl::DrawRange(QPainter& painter, const SCellRange& range, const QPoint& origin, bool printing)
{
    if (!range.IsValid())
        return;
    painter.save();
    // Pixel sizes: a printer or an SVG generator has its own resolution and
    // the caller scales the painter; a point size would be scaled twice.
    QFont pixelFont = font();
    pixelFont.setPixelSize(std::max(QFontInfo(font()).pixelSize(), 6));
    painter.setFont(pixelFont);
    const QSize size = GetRangeSize(range);
    const QRect clip(origin, size);
    int y = origin.y();
    const int lastRow = std::min(range.maxRow, GetRowCount() - 1);
    for (int r = range.minRow; r <= lastRow; ++r) {
        const int h = GetRowHeight(r);
        if (h == 0)
            continue;
        DrawRow(painter, r, y, origin.x() - ColumnLeft(range.minCol), range.minCol, range.maxCol, clip, printing);
        y += h;
    }
    painter.restore();
}

void CGridCtrl::DrawRow(QPainter& painter, int row, int y, int x0, int firstCol, int lastCol, const QRect& clip,
                        bool printing)
{
    PrepareRow(row);
    const SRow& r = m_rows[static_cast<size_t>(row)];
    std::array<CGridCell*, kMaxColumns> cells{};
    const int columns = std::min(GetColumnCount(), kMaxColumns);
    for (int c = 0; c < columns && c < static_cast<int>(r.cells.size()); ++c)
        cells[static_cast<size_t>(c)] = r.cells[static_cast<size_t>(c)].get();
    GridRowPaint::SRow paint;
    paint.cells = cells.data();
    paint.widths = m_colWidths.data();
    paint.columns = columns;
    paint.height = r.height;
    paint.mergeFirst = r.mergeFirst;
    paint.mergeLast = r.mergeLast;
    paint.header = row == 0;
    paint.selection = row == 0 ? 0 : m_selection[static_cast<size_t>(row)];
    paint.focusColumn = !printing && m_focus.y() == row && hasFocus() ? m_focus.x() : -1;
    paint.sortColumn = m_sortColumn;
    paint.sortAscending = m_sortAscending;
    GridRowPaint::Paint(painter, paint, y, x0, firstCol, lastCol, clip, printing);
}

void CGridCtrl::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect dirty = event->rect();
    const int hOffset = horizontalScrollBar()->value();
    const int vOffset = verticalScrollBar()->value();
    const int headerHeight = HeaderHeight();
    const QSize view = viewport()->size();

    // Columns in view.
    const int firstCol = std::max(ColumnAtX(hOffset + dirty.left()), 0);
    int lastCol = ColumnAtX(hOffset + dirty.right());
    if (lastCol < 0)
        lastCol = GetColumnCount() - 1;

    // Body rows in view, under the header.
    const QRect bodyClip = QRect(0, headerHeight, view.width(), std::max(0, view.height() - headerHeight)).intersected(dirty);
    int bottom = headerHeight;
    if (!bodyClip.isEmpty() && GetRowCount() > 1) {
        int row = RowAtBodyY(vOffset + bodyClip.top() - headerHeight);
        while (row >= 1 && row < GetRowCount()) {
            const int y = headerHeight + GetRowTop(row) - vOffset;
            if (y > bodyClip.bottom())
                break;
            if (GetRowHeight(row) > 0) {
                DrawRow(painter, row, y, -hOffset, firstCol, lastCol, bodyClip, false);
                bottom = y + GetRowHeight(row);
            }
            ++row;
        }
        bottom = std::max(bottom, std::min(view.height(), headerHeight + BodyHeight() - vOffset));
    }
    // Empty area right of and below the cells.
    const QColor empty = palette().color(QPalette::Base);
    const int right = GetTotalWidth() - hOffset;
    if (right < view.width())
        painter.fillRect(QRect(right, 0, view.width() - right, view.height()).intersected(dirty), empty);
    if (bottom < view.height())
        painter.fillRect(QRect(0, bottom, view.width(), view.height() - bottom).intersected(dirty), empty);

    // The header row last, over everything.
    const QRect headerClip = QRect(0, 0, view.width(), headerHeight).intersected(dirty);
    if (!headerClip.isEmpty())
        DrawRow(painter, 0, 0, -hOffset, firstCol, lastCol, headerClip, false);
}
