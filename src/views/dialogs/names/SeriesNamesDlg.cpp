// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/names/SeriesNamesDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

#include "connection/PaperConnection.h"
#include "controls/MessageBox.h"
#include "device/PaperTransfer.h"
#include "views/dialogs/DeviceDialogStrings.h"
#include "views/dialogs/DialogSupport.h"
#include "views/dialogs/names/NameStatusCell.h"
#include "views/dialogs/names/NamesGrid.h"
#include "views/MenuIcons.h"
#include "views/ViewText.h"

using namespace DeviceDialogStrings;
using DialogSupport::CWaitCursor;
using ViewText::Load;

namespace {

// The dialog's size in dialog units.
constexpr int kWidthDu = 249;
constexpr int kHeightDu = 406;

// Control ids of the dialog.
constexpr int kGridId = 102;
constexpr int kUndoId = 2056;
constexpr int kInsertId = 2058;
constexpr int kCloseId = 2059;
constexpr int kDeleteId = 2060;

QPushButton* MakeButton(QWidget* parent, uint32_t textId, int id)
{
    auto* button = new QPushButton(Load(textId), parent);
    button->setObjectName(DialogSupport::ControlName(id));
    // Enter belongs to the grid (next row), never to a button; a click
    // leaves the keyboard with the grid, so its keys go on working.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

CUploadStringsDlg::CUploadStringsDlg(CPaperConnection& connection, QWidget* parent)
    : QDialog(parent), m_model(connection, this), m_connection(connection)
{
    setObjectName(QStringLiteral("seriesNames"));
    setWindowTitle(Load(kNamesCaption));
    m_label = new QLabel(Load(kNamesStatic), this);

    m_grid = new CNamesGrid(CSeriesNamesModel::kRows, this);
    m_grid->setObjectName(DialogSupport::ControlName(kGridId));
    auto header = std::make_unique<CGridCell>();
    header->SetText(Load(kNamesHeader));
    m_grid->SetCell(0, 0, std::move(header));
    m_grid->SetCell(0, 1, std::make_unique<CGridCell>());
    for (int row = 1; row <= CSeriesNamesModel::kRows; ++row) {
        m_grid->SetCell(row, 0, std::make_unique<CGridCell>());
        m_grid->SetCell(row, 1, std::make_unique<CNameStatusCell>());
    }

    m_delete = MakeButton(this, kDeleteButton, kDeleteId);
    m_insert = MakeButton(this, kInsertButton, kInsertId);
    m_undo = MakeButton(this, kUndoButton, kUndoId);
    m_close = MakeButton(this, kCloseButton, kCloseId);
    m_undo->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_delete);
    buttons->addWidget(m_insert);
    buttons->addWidget(m_undo);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    DialogSupport::ApplyTemplateSize(this, kWidthDu, kHeightDu);

    connect(m_delete, &QPushButton::clicked, this, &CUploadStringsDlg::DeleteSelected);
    connect(m_insert, &QPushButton::clicked, this, &CUploadStringsDlg::InsertName);
    connect(m_undo, &QPushButton::clicked, this, &CUploadStringsDlg::UndoChange);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &CGridCtrl::cellEdited, this, &CUploadStringsDlg::OnCellEdited);
    connect(m_grid, &CGridCtrl::focusCellChanged, this, [this](int row, int) { m_model.SetFocusRow(row); });
    connect(m_grid, &CGridCtrl::rightClicked, this, [this](int, int, const QPoint& pos) { ShowContextMenu(pos); });
    connect(m_grid, &CNamesGrid::pasteRequested, this, &CUploadStringsDlg::PasteClipboard);
    connect(m_grid, &CNamesGrid::cutRequested, this, &CUploadStringsDlg::CutSelected);
    connect(m_grid, &CNamesGrid::copyRequested, this, &CUploadStringsDlg::CopySelected);
    connect(m_grid, &CNamesGrid::deleteRequested, this, &CUploadStringsDlg::DeleteSelected);
    Refresh();
}

bool CUploadStringsDlg::Open()
{
    CWaitCursor wait;
    m_model.Open();
    // A list that could not be read still opens the dialog while the
    // instrument is held: the grid then shows what it holds once it answers.
    return m_connection.GetDevice() != nullptr;
}

int CUploadStringsDlg::Run()
{
    if (!Open())
        return QDialog::Rejected;
    m_grid->setFocus();
    return exec();
}

void CUploadStringsDlg::TakeFocus()
{
    m_model.SetFocusRow(m_grid->FocusRow());
}

void CUploadStringsDlg::ShowModelFocus()
{
    if (m_model.GetFocusRow() != 0)
        m_grid->FocusRow(m_model.GetFocusRow());
}

void CUploadStringsDlg::OnCellEdited(int row, int col, const QString& text)
{
    if (col != 0)
        return;
    CWaitCursor wait;
    TakeFocus();
    m_model.EndEdit(row, ViewText::U(text));
    ReportFailure();
}

void CUploadStringsDlg::reject()
{
    // A name still being edited is stored before the dialog goes.
    m_grid->EndEdit(true);
    QDialog::reject();
}

void CUploadStringsDlg::DeleteSelected()
{
    m_grid->EndEdit(true);
    const std::vector<int> rows = m_grid->SelectedRows();
    if (rows.empty())
        return;
    CWaitCursor wait;
    TakeFocus();
    m_model.Delete(rows);
    ShowModelFocus();
    ReportFailure();
}

void CUploadStringsDlg::InsertName()
{
    m_grid->EndEdit(true);
    CWaitCursor wait;
    TakeFocus();
    if (m_model.Insert())
        ShowModelFocus();
    ReportFailure();
}

void CUploadStringsDlg::UndoChange()
{
    m_grid->EndEdit(true);
    CWaitCursor wait;
    m_model.Undo();
    ReportFailure();
}

void CUploadStringsDlg::PasteClipboard()
{
    m_grid->EndEdit(true);
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    CWaitCursor wait;
    TakeFocus();
    m_model.Paste(ViewText::U(text));
    ReportFailure();
}

void CUploadStringsDlg::CopySelected()
{
    const std::vector<int> rows = m_grid->SelectedRows();
    if (rows.empty())
        return;
    QApplication::clipboard()->setText(ViewText::Q(m_model.CopyText(rows)));
}

void CUploadStringsDlg::CutSelected()
{
    CopySelected();
    DeleteSelected();
}

void CUploadStringsDlg::ShowContextMenu(const QPoint& globalPos)
{
    if (!m_grid->HasSelection())
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("namesContextMenu"));
    menu.addAction(MenuIcons::Get(MenuIcons::cut), Load(kMenuCut), this, &CUploadStringsDlg::CutSelected);
    menu.addAction(MenuIcons::Get(MenuIcons::copy), Load(kMenuCopy), this, &CUploadStringsDlg::CopySelected);
    menu.addSeparator();
    QAction* paste =
        menu.addAction(MenuIcons::Get(MenuIcons::paste), Load(kMenuPaste), this, &CUploadStringsDlg::PasteClipboard);
    paste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu.addSeparator();
    menu.addAction(MenuIcons::Get(MenuIcons::remove), Load(kMenuDelete), this, &CUploadStringsDlg::DeleteSelected);
    menu.exec(globalPos);
}

void CUploadStringsDlg::OnNamesChanged()
{
    m_flashRows.clear();
    Refresh();
}

void CUploadStringsDlg::Refresh()
{
    for (int row = 1; row <= CSeriesNamesModel::kRows; ++row) {
        if (CGridCell* cell = m_grid->GetCell(row, 0))
            cell->SetText(ViewText::Q(m_model.GetText(row)));
    }
    UpdateMarks();
    m_undo->setEnabled(m_model.CanUndo());
    m_grid->RedrawAll();
}

void CUploadStringsDlg::UpdateMarks()
{
    for (int row = 1; row <= CSeriesNamesModel::kRows; ++row) {
        auto* cell = dynamic_cast<CNameStatusCell*>(m_grid->GetCell(row, 1));
        if (cell == nullptr)
            continue;
        NameMarks::Mark mark = m_model.HoldsName(row) ? NameMarks::stored : NameMarks::noName;
        if (std::find(m_flashRows.begin(), m_flashRows.end(), row) != m_flashRows.end())
            mark = m_flashShown ? NameMarks::writing : NameMarks::none;
        cell->SetMark(mark);
    }
}

// Shows the marks of the written rows, hides them and shows them again.
// The exchange that follows blocks this thread, so the grid is painted at
// once instead of through the event loop.
void CUploadStringsDlg::FlashRows(const std::vector<int>& rows, int pauseMs)
{
    m_flashRows = rows;
    for (int step = 0; step < 3; ++step) {
        if (step > 0)
            QThread::msleep(static_cast<unsigned long>(std::max(0, pauseMs)));
        m_flashShown = step != 1;
        UpdateMarks();
        for (int row : rows)
            m_grid->RedrawRow(row);
        if (m_grid->isVisible())
            m_grid->viewport()->repaint();
    }
}

// The grid already shows what the instrument holds after a failure; the
// message says why an edit did not stay.  Texts the model refused have had
// their message.
void CUploadStringsDlg::ReportFailure()
{
    const Device::ELinkFailure failure = m_model.GetLastFailure();
    if (failure == Device::ELinkFailure::None || failure == Device::ELinkFailure::Refused)
        return;
    Gui::ShowMessage(Gui::messageError, Device::DescribeFailure(failure, m_model.GetLastInstrumentError()), this);
}

void CUploadStringsDlg::ShowMessage(int kind, const std::u16string& text)
{
    Gui::ShowMessage(kind, text, this);
}
