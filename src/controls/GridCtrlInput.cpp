// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: mouse, keys, hover, tool tips and column resizing.
#include "controls/GridCtrl.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kResizeGrip = 4;

} // namespace

void CGridCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    PlaceEditor();
    emit viewportResized();
}

void CGridCtrl::scrollContentsBy(int, int)
{
    PlaceEditor();
    viewport()->update();
}

int CGridCtrl::HeaderBorderAt(int x) const
{
    int right = -horizontalScrollBar()->value();
    for (int c = 0; c < GetColumnCount(); ++c) {
        right += GetColumnWidth(c);
        if (std::abs(x - right) <= kResizeGrip)
            return c;
    }
    return -1;
}

int CGridCtrl::NextFocusableRow(int row, int step) const
{
    const int count = GetRowCount();
    int r = row + step;
    while (r >= 1 && r < count) {
        const SRow& rr = m_rows[static_cast<size_t>(r)];
        if (rr.height > 0 && rr.focusable)
            return r;
        r += step > 0 ? 1 : -1;
    }
    return row;
}

void CGridCtrl::ExtendSelectionTo(int row, int col)
{
    const QPoint anchor = m_anchor.y() >= 1 ? m_anchor : QPoint(col, row);
    SCellRange range;
    range.minRow = std::min(anchor.y(), row);
    range.maxRow = std::max(anchor.y(), row);
    int a1 = anchor.x(), a2 = anchor.x(), b1 = col, b2 = col;
    GetCellSpan(anchor.y(), anchor.x(), a1, a2);
    GetCellSpan(row, col, b1, b2);
    range.minCol = std::min(a1, b1);
    range.maxCol = std::max(a2, b2);
    SelectRange(range, false);
}

void CGridCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_editor != nullptr)
        EndEdit(true);
    setFocus();
    int row = -1, col = -1;
    const bool onCell = HitTest(pos, row, col);

    if (event->button() == Qt::RightButton) {
        emit rightClicked(onCell ? row : -1, onCell ? col : -1, event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;

    if (pos.y() < HeaderHeight()) {
        const int border = HeaderBorderAt(pos.x());
        if (border >= 0) {
            m_resizingColumn = border;
            m_resizeStartX = pos.x();
            m_resizeStartWidth = GetColumnWidth(border);
            return;
        }
        m_pressCell = onCell ? QPoint(col, 0) : QPoint(-1, -1);
        return;
    }
    if (!onCell) {
        m_pressCell = QPoint(-1, -1);
        return;
    }

    int first = col, last = col;
    GetCellSpan(row, col, first, last);
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ShiftModifier) {
        ExtendSelectionTo(row, col);
    } else if (mods & Qt::ControlModifier) {
        const bool selected = IsMergedCellSelected(row, col);
        for (int c = first; c <= last; ++c)
            SetCellSelected(row, c, !selected);
        m_anchor = QPoint(col, row);
    } else {
        SelectRange(SCellRange{row, first, row, last}, false);
        m_anchor = QPoint(col, row);
    }
    int focusRow = row;
    if (!m_rows[static_cast<size_t>(row)].focusable)
        focusRow = NextFocusableRow(row, -1);
    if (focusRow >= 1 && m_rows[static_cast<size_t>(focusRow)].focusable)
        SetFocusCell(focusRow, col);
    m_pressCell = QPoint(col, row);
    m_selecting = true;
    emit selectionChanged();
    emit focusCellChanged(m_focus.y(), m_focus.x());
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_resizingColumn >= 0) {
        SetColumnWidth(m_resizingColumn, std::max(4, m_resizeStartWidth + pos.x() - m_resizeStartX));
        return;
    }
    if (m_selecting && (event->buttons() & Qt::LeftButton)) {
        // Drag selection, scrolling when the mouse leaves the view.
        if (pos.y() < HeaderHeight())
            verticalScrollBar()->setValue(verticalScrollBar()->value() - m_defaultRowHeight);
        else if (pos.y() > viewport()->height())
            verticalScrollBar()->setValue(verticalScrollBar()->value() + m_defaultRowHeight);
        const QPoint inside(std::clamp(pos.x(), 0, std::max(0, viewport()->width() - 1)),
                            std::clamp(pos.y(), HeaderHeight(), std::max(HeaderHeight(), viewport()->height() - 1)));
        int row = -1, col = -1;
        if (HitTest(inside, row, col) && row >= 1 && QPoint(col, row) != m_pressCell) {
            ExtendSelectionTo(row, col);
            m_pressCell = QPoint(-1, -1);
            emit selectionChanged();
        }
        return;
    }
    if (pos.y() < HeaderHeight() && HeaderBorderAt(pos.x()) >= 0) {
        viewport()->setCursor(Qt::SplitHCursor);
        return;
    }
    UpdateHover(pos);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = false;
    if (m_resizingColumn >= 0) {
        m_resizingColumn = -1;
        return;
    }
    const QPoint pos = event->position().toPoint();
    int row = -1, col = -1;
    if (!HitTest(pos, row, col) || QPoint(col, row) != m_pressCell) {
        m_pressCell = QPoint(-1, -1);
        return;
    }
    m_pressCell = QPoint(-1, -1);
    if (row == 0) {
        emit headerClicked(col);
        return;
    }
    const QRect rect = GetCellRect(row, col);
    const QPoint local = pos - rect.topLeft();
    if (CGridCell* cell = GetCell(row, col)) {
        if (cell->OnClick(local, rect))
            UpdateHover(pos);
    }
    emit cellClicked(row, col, clickLeft, local);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    int row = -1, col = -1;
    if (!HitTest(pos, row, col) || row < 1)
        return;
    const QRect rect = GetCellRect(row, col);
    if (!EditCell(row, col))
        emit cellClicked(row, col, clickDouble, pos - rect.topLeft());
}

void CGridCtrl::UpdateHover(const QPoint& pos)
{
    int row = -1, col = -1;
    const bool onCell = HitTest(pos, row, col) && row >= 1;
    const QPoint cellPos = onCell ? QPoint(col, row) : QPoint(-1, -1);
    if (cellPos != m_hoverCell) {
        if (CGridCell* old = GetCell(m_hoverCell.y(), m_hoverCell.x())) {
            if (old->OnMouseLeave())
                viewport()->update(GetCellRect(m_hoverCell.y(), m_hoverCell.x()));
        }
        m_hoverCell = cellPos;
    }
    Qt::CursorShape cursor = Qt::ArrowCursor;
    if (onCell) {
        if (CGridCell* cell = GetCell(row, col)) {
            const QRect rect = GetCellRect(row, col);
            if (cell->OnMouseMove(pos - rect.topLeft(), rect, cursor))
                viewport()->update(rect);
        }
    }
    viewport()->setCursor(cursor);
}

void CGridCtrl::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    if (CGridCell* old = GetCell(m_hoverCell.y(), m_hoverCell.x())) {
        if (old->OnMouseLeave())
            viewport()->update(GetCellRect(m_hoverCell.y(), m_hoverCell.x()));
    }
    m_hoverCell = QPoint(-1, -1);
}

bool CGridCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int row = -1, col = -1;
        if (HitTest(help->pos(), row, col) && row >= 1) {
            if (const CGridCell* cell = GetCell(row, col)) {
                const QRect rect = GetCellRect(row, col);
                const QString tip = cell->GetToolTip(help->pos() - rect.topLeft());
                if (!tip.isEmpty()) {
                    QToolTip::showText(help->globalPos(), tip, viewport());
                    return true;
                }
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::Leave)
        leaveEvent(event);
    return QAbstractScrollArea::viewportEvent(event);
}

bool CGridCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (m_editor != nullptr && watched == m_editor && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            EndEdit(false);
            return true;
        }
        // Return ends the edit here: passed on, it would reach the grid and
        // start the editor again.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Up ||
            key->key() == Qt::Key_Down || key->key() == Qt::Key_Tab) {
            EndEdit(true);
            return true;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void CGridCtrl::MoveFocus(int rowStep, int colStep, bool extend, bool page)
{
    if (GetRowCount() < 2)
        return;
    int row = m_focus.y();
    int col = m_focus.x();
    if (row < 1) {
        row = NextFocusableRow(0, 1);
        col = 0;
    } else if (page) {
        const int viewHeight = std::max(m_defaultRowHeight, viewport()->height() - HeaderHeight());
        const int target = GetRowTop(row) + rowStep * viewHeight;
        int r = RowAtBodyY(std::clamp(target, 0, std::max(0, BodyHeight() - 1)));
        if (r < 1)
            r = rowStep > 0 ? GetRowCount() - 1 : 1;
        if (r >= 1 && (GetRowHeight(r) == 0 || !m_rows[static_cast<size_t>(r)].focusable))
            r = NextFocusableRow(r, -1) != r ? NextFocusableRow(r, -1) : NextFocusableRow(r, 1);
        row = r;
    } else if (rowStep != 0) {
        row = NextFocusableRow(row, rowStep);
    }
    if (colStep != 0) {
        int first = col, last = col;
        GetCellSpan(row, col, first, last);
        col = std::clamp(colStep > 0 ? last + 1 : first - 1, 0, GetColumnCount() - 1);
    }
    if (row < 1 || row >= GetRowCount())
        return;
    if (extend) {
        ExtendSelectionTo(row, col);
    } else {
        int first = col, last = col;
        GetCellSpan(row, col, first, last);
        SelectRange(SCellRange{row, first, row, last}, false);
        m_anchor = QPoint(col, row);
    }
    SetFocusCell(row, col);
    EnsureVisible(row, col);
    emit selectionChanged();
    emit focusCellChanged(row, col);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event)
{
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Up: MoveFocus(-1, 0, shift, false); return;
    case Qt::Key_Down: MoveFocus(1, 0, shift, false); return;
    case Qt::Key_Left: MoveFocus(0, -1, shift, false); return;
    case Qt::Key_Right: MoveFocus(0, 1, shift, false); return;
    case Qt::Key_PageUp: MoveFocus(-1, 0, shift, true); return;
    case Qt::Key_PageDown: MoveFocus(1, 0, shift, true); return;
    case Qt::Key_Home:
        if (ctrl) {
            m_focus = QPoint(m_focus.x() < 0 ? 0 : m_focus.x(), GetRowCount() > 1 ? 1 : -1);
            if (m_focus.y() >= 1 && (GetRowHeight(1) == 0 || !m_rows[1].focusable))
                m_focus.setY(NextFocusableRow(1, 1));
            MoveFocus(0, 0, shift, false);
        } else {
            m_focus.setX(0);
            MoveFocus(0, 0, shift, false);
        }
        return;
    case Qt::Key_End:
        if (ctrl) {
            const int last = GetRowCount() - 1;
            int row = last;
            if (row >= 1 && (GetRowHeight(row) == 0 || !m_rows[static_cast<size_t>(row)].focusable))
                row = NextFocusableRow(row, -1);
            m_focus = QPoint(m_focus.x() < 0 ? 0 : m_focus.x(), row);
        } else {
            m_focus.setX(GetColumnCount() - 1);
        }
        MoveFocus(0, 0, shift, false);
        return;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EditCell(m_focus.y(), m_focus.x());
        return;
    default:
        break;
    }
    if (ctrl && event->key() == Qt::Key_A) {
        SelectAll();
        emit selectionChanged();
        return;
    }
    const QString typed = event->text();
    if (!ctrl && !typed.isEmpty() && typed.at(0).isPrint()) {
        if (EditCell(m_focus.y(), m_focus.x(), &typed))
            return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
