// SPDX-License-Identifier: GPL-3.0-or-later
// CUploadStringsDlg: the "Series names manager".  It shows the list of up
// to 50 series names stored on the connected Veltrano in a grid and edits
// it in place; every edit, insert, delete, paste and undo is written to the
// instrument at once and read back by the names model (CSeriesNamesModel),
// so the grid always shows what the instrument holds.  The dialog only
// binds the grid, the buttons, the keys and the context menu to the model
// and flashes the rows the model writes.
#pragma once

#include <QDialog>

#include <vector>

#include "connection/SeriesNames.h"

class CNamesGrid;
class CPaperConnection;
class QLabel;
class QPushButton;

class CUploadStringsDlg : public QDialog, public ISeriesNamesView {
    Q_OBJECT
public:
    CUploadStringsDlg(CPaperConnection& connection, QWidget* parent = nullptr);

    // Connects (the wizard runs when no instrument is held) and reads the
    // list.  False without an instrument: the dialog must not be shown.
    bool Open();
    // Open, then the dialog modally; Rejected at once without an instrument.
    int Run();

    CSeriesNamesModel& Model() { return m_model; }
    CNamesGrid* Grid() const { return m_grid; }

    // The commands of the buttons, keys and context menu.
    void DeleteSelected();
    void InsertName();
    void UndoChange();
    void PasteClipboard();
    void CopySelected();
    void CutSelected();

    // ISeriesNamesView.
    void OnNamesChanged() override;
    void FlashRows(const std::vector<int>& rows, int pauseMs) override;
    void ShowMessage(int kind, const std::u16string& text) override;

    // Close, the window's close button and Escape: an edit still open is
    // stored first.
    void reject() override;

private:
    void OnCellEdited(int row, int col, const QString& text);
    void ShowContextMenu(const QPoint& globalPos);
    // Puts the model's rows, marks and Undo state into the widgets.
    void Refresh();
    void UpdateMarks();
    // The grid's focus to the model before an operation, the model's back
    // after one that moves it.
    void TakeFocus();
    void ShowModelFocus();
    // Says what failed when an operation did not reach the instrument whole.
    void ReportFailure();

    CSeriesNamesModel m_model;
    CPaperConnection& m_connection;
    QLabel* m_label = nullptr;
    CNamesGrid* m_grid = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_close = nullptr;
    // The rows of the last flash and whether their marks are shown now;
    // they keep the "being written" mark until the list is read back.
    std::vector<int> m_flashRows;
    bool m_flashShown = false;
};
