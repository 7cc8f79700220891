// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/names/NamesGrid.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

#include "device/VeltranoDevice.h"

CNamesGrid::CNamesGrid(int rows, QWidget* parent) : CGridCtrl(parent)
{
    SetDefaultRowHeight(kRowHeight);
    SetColumnCount(2);
    SetRowCount(rows + 1);
    SetRowHeight(0, kHeaderHeight);
    FitColumns();
}

int CNamesGrid::RowStep(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return mods == Qt::NoModifier ? 1 : 0;
    case Qt::Key_Tab: return mods == Qt::NoModifier ? 1 : (mods == Qt::ShiftModifier ? -1 : 0);
    case Qt::Key_Backtab: return -1;
    default: return 0;
    }
}

void CNamesGrid::FocusRow(int row)
{
    row = std::clamp(row, 1, GetRowCount() - 1);
    SelectRange(SCellRange{row, 0, row, 0}, false);
    SetFocusCell(row, 0);
    EnsureVisible(row, 0);
    emit selectionChanged();
    emit focusCellChanged(row, 0);
}

int CNamesGrid::FocusRow() const
{
    const int row = GetFocusCell().y();
    return row >= 1 ? row : 0;
}

std::vector<int> CNamesGrid::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = 1; row < GetRowCount(); ++row) {
        if (GetRowSelection(row) != 0)
            rows.push_back(row);
    }
    return rows;
}

// Tab and Shift+Tab move between rows instead of leaving the grid.
bool CNamesGrid::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return CGridCtrl::event(event);
}

void CNamesGrid::keyPressEvent(QKeyEvent* event)
{
    if (const int step = RowStep(event)) {
        const int row = FocusRow();
        FocusRow(row == 0 ? 1 : row + step);
        event->accept();
        return;
    }
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && event->key() == Qt::Key_V) {
        emit pasteRequested();
        return;
    }
    if (ctrl && event->key() == Qt::Key_X) {
        emit cutRequested();
        return;
    }
    if (ctrl && event->key() == Qt::Key_C) {
        emit copyRequested();
        return;
    }
    if (event->key() == Qt::Key_Delete && !ctrl) {
        emit deleteRequested();
        return;
    }
    CGridCtrl::keyPressEvent(event);
    LimitEditor();
}

void CNamesGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    CGridCtrl::mouseDoubleClickEvent(event);
    LimitEditor();
}

void CNamesGrid::LimitEditor()
{
    QLineEdit* editor = Editor();
    const int limit = static_cast<int>(Device::ROLL_ID_BYTES);
    if (editor == nullptr || editor->maxLength() == limit)
        return;
    // Setting the limit sets the text again, which drops its selection.
    const bool all = !editor->text().isEmpty() && editor->selectedText() == editor->text();
    editor->setMaxLength(limit);
    if (all)
        editor->selectAll();
}

// Enter and Tab end an edit (which stores it) and then focus the next row;
// Shift+Tab the previous one.
bool CNamesGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Editor() && Editor() != nullptr && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (const int step = RowStep(key)) {
            const int row = FocusRow();
            EndEdit(true);
            if (row != 0)
                FocusRow(row + step);
            return true;
        }
    }
    return CGridCtrl::eventFilter(watched, event);
}

void CNamesGrid::resizeEvent(QResizeEvent* event)
{
    CGridCtrl::resizeEvent(event);
    FitColumns();
}

void CNamesGrid::FitColumns()
{
    SetColumnWidth(1, kStatusWidth);
    SetColumnWidth(0, std::max(kStatusWidth, viewport()->width() - kStatusWidth));
}
