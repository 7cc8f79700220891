// CGridCtrl: drawing.  The screen, printers and pictures go through DrawRow,
// which calls each cell's own Draw.
#include "controls/GridCtrl.h"

#include <QFontInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>

#include <algorithm>

#include "controls/GridColours.h"

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

void CGridCtrl::DrawHeaderCell(QPainter& painter, int col, const QRect& rect, bool printing)
{
    painter.fillRect(rect, GridColours::HeaderBackground());
    painter.setPen(GridColours::HeaderLine());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    const CGridCell* cell = m_rows[0].cells[static_cast<size_t>(col)].get();
    QRect textRect = rect.adjusted(CGridCell::kTextMargin, 0, -CGridCell::kTextMargin, 0);
    if (col == m_sortColumn && !printing) {
        // The sort mark: a small triangle at the right, up for ascending.
        const int size = 4;
        const int cx = rect.right() - 8;
        const int cy = rect.center().y();
        QPolygon mark;
        if (m_sortAscending)
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

void CGridCtrl::DrawRow(QPainter& painter, int row, int y, int x0, int firstCol, int lastCol, const QRect& clip,
                        bool printing)
{
    PrepareRow(row);
    const SRow& r = m_rows[static_cast<size_t>(row)];
    const int h = r.height;
    lastCol = std::min(lastCol, GetColumnCount() - 1);
    int x = x0;
    for (int c = 0; c < firstCol; ++c)
        x += m_colWidths[static_cast<size_t>(c)];
    for (int c = firstCol; c <= lastCol; ++c) {
        int first = c, last = c;
        if (r.mergeFirst >= 0 && c >= r.mergeFirst && c <= r.mergeLast) {
            first = r.mergeFirst;
            last = r.mergeLast;
        }
        int left = x;
        for (int k = first; k < c; ++k)
            left -= m_colWidths[static_cast<size_t>(k)];
        int width = 0;
        for (int k = first; k <= last; ++k)
            width += m_colWidths[static_cast<size_t>(k)];
        // Move on past the whole merged range.
        for (int k = c; k <= last; ++k)
            x += m_colWidths[static_cast<size_t>(k)];
        const int next = last;
        const QRect rect(left, y, width, h);
        if (width > 0 && rect.intersects(clip)) {
            painter.save();
            painter.setClipRect(rect.intersected(clip));
            if (row == 0) {
                DrawHeaderCell(painter, first, rect, printing);
            } else {
                SCellDrawContext context;
                context.printing = printing;
                context.selected = (m_selection[static_cast<size_t>(row)] & [&] {
                    uint32_t m = 0;
                    for (int k = first; k <= last; ++k)
                        m |= 1u << k;
                    return m;
                }()) != 0;
                context.focused = !printing && m_focus == QPoint(first, row) && hasFocus();
                context.clip = rect.intersected(clip);
                CGridCell* cell = r.cells[static_cast<size_t>(first)].get();
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
