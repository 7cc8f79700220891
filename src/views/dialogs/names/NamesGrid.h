// SPDX-License-Identifier: GPL-3.0-or-later
// CNamesGrid: the grid of the series names manager: a header row and 50
// rows with the name and its status mark.  Besides the grid's own keys,
// Enter and Tab focus the next row and Shift+Tab the previous one (also
// when they end an edit); Ctrl+V, Ctrl+X, Ctrl+C and Delete are passed to
// the dialog as signals.  The name column fills the width the status column
// leaves.  The editor takes at most the 12 characters the instrument
// stores of a name.
#pragma once

#include "controls/GridCtrl.h"

class CNamesGrid : public CGridCtrl {
    Q_OBJECT
public:
    static constexpr int kStatusWidth = 20;
    static constexpr int kRowHeight = 18;
    static constexpr int kHeaderHeight = 27;

    CNamesGrid(int rows, QWidget* parent = nullptr);

    // Focuses and selects the name cell of `row` (kept within the rows)
    // and reports it as focusCellChanged.
    void FocusRow(int row);
    // The focused row, 0 when none.
    int FocusRow() const;
    // The rows with at least one selected cell, in order.
    std::vector<int> SelectedRows() const;

signals:
    void pasteRequested();
    void cutRequested();
    void copyRequested();
    void deleteRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The row step of a key that moves to another row (Enter, Tab,
    // Shift+Tab), 0 for other keys.
    static int RowStep(const QKeyEvent* key);
    void FitColumns();
    void LimitEditor();
};
