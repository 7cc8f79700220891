// SPDX-License-Identifier: GPL-3.0-or-later
// The series names manager against the simulated Veltrano: the keys,
// buttons and context menu of the dialog reach the instrument, and the grid
// shows what it holds afterwards.
#ifdef BRELMORA_HAVE_SIM

#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "DeviceDialogTestSupport.h"
#include "platform/Text.h"
#include "views/dialogs/DialogSupport.h"
#include "views/dialogs/names/NameStatusCell.h"
#include "views/dialogs/names/NamesGrid.h"
#include "views/dialogs/names/SeriesNamesDlg.h"

using namespace DeviceDialogTest;

namespace {

using Names = std::vector<std::string>;

// The dialog with its flashes recorded: the rows, the pause and the mark
// each row shows when the flash ends.
class CWatchedNamesDlg : public CUploadStringsDlg {
public:
    using CUploadStringsDlg::CUploadStringsDlg;

    void FlashRows(const std::vector<int>& rows, int pauseMs) override
    {
        CUploadStringsDlg::FlashRows(rows, pauseMs);
        flashed.push_back(rows);
        pauses.push_back(pauseMs);
        for (int row : rows)
            marksAfterFlash.push_back(Mark(row));
    }
    NameMarks::Mark Mark(int row) const
    {
        return static_cast<CNameStatusCell*>(Grid()->GetCell(row, 1))->GetMark();
    }

    std::vector<std::vector<int>> flashed;
    std::vector<int> pauses;
    std::vector<NameMarks::Mark> marksAfterFlash;
};

class SeriesNamesDlg : public DeviceDialogLine {
protected:
    void DropDialogs() override { dialog.reset(); }

    // The instrument with `names`; the dialog opened on it and shown
    // without an event loop of its own.
    void Open(Names names)
    {
        ASSERT_NO_FATAL_FAILURE(Start("", 2, std::move(names)));
        MakeConnection();
        dialog = std::make_unique<CWatchedNamesDlg>(*connection);
        ASSERT_TRUE(dialog->Open());
        dialog->show();
        ViewTest::ProcessEvents();
        grid = dialog->Grid();
        ClearLog();
    }
    Names Stored() const { return instrument->GetNames(); }
    QString Row(int row) const { return grid->GetCell(row, 0)->GetText(); }
    QPushButton* Button(int id) const
    {
        return dialog->findChild<QPushButton*>(DialogSupport::ControlName(id));
    }
    void Key(QWidget* widget, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(widget, static_cast<Qt::Key>(key), mods);
        ViewTest::ProcessEvents();
    }
    // Types `text` into the focused row: the first character opens the
    // editor, the rest goes to it.
    void Type(const QString& text)
    {
        QTest::keyClicks(grid, text.left(1));
        ASSERT_NE(grid->Editor(), nullptr);
        QTest::keyClicks(grid->Editor(), text.mid(1));
    }

    std::unique_ptr<CWatchedNamesDlg> dialog;
    CNamesGrid* grid = nullptr;
};

} // namespace

TEST_F(SeriesNamesDlg, OpensOnTheInstrumentsListWithUndoDisabled)
{
    ASSERT_NO_FATAL_FAILURE(Open({"PM1 NP 001", "PM2 LWC"}));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Series names manager"));
    EXPECT_EQ(grid->GetCell(0, 0)->GetText(), QStringLiteral("Series names"));
    EXPECT_EQ(grid->GetRowCount(), 51);
    EXPECT_EQ(Row(1), QStringLiteral("PM1 NP 001"));
    EXPECT_EQ(Row(2), QStringLiteral("PM2 LWC"));
    EXPECT_TRUE(Row(3).isEmpty());
    EXPECT_EQ(dialog->Mark(2), NameMarks::stored);
    EXPECT_EQ(dialog->Mark(3), NameMarks::noName);
    EXPECT_EQ(dialog->Mark(50), NameMarks::noName);
    EXPECT_FALSE(Button(2056)->isEnabled());
    // The status column is what the name column leaves.
    EXPECT_EQ(grid->GetColumnWidth(1), CNamesGrid::kStatusWidth);
    EXPECT_EQ(grid->GetColumnWidth(0) + grid->GetColumnWidth(1), grid->viewport()->width());
    EXPECT_TRUE(Log().empty());

    // Without an instrument the dialog does not open.
    ui.wizard = [](CConnWizardSettings&) { return std::unique_ptr<Device::CVnDevice>(); };
    StopSim();
    connection->Disconnect();
    CUploadStringsDlg none(*connection);
    EXPECT_EQ(none.Run(), QDialog::Rejected);
    EXPECT_FALSE(none.isVisible());
}

TEST_F(SeriesNamesDlg, WithFiftyNamesInsertShowsTheMessage)
{
    ASSERT_NO_FATAL_FAILURE(Open(Numbered(50)));
    std::u16string shown;
    ViewTest::AnswerMessageBox(QMessageBox::Ok, &shown);
    Button(2058)->click();
    EXPECT_EQ(shown, u"There are already 50 series names. Delete at least one before inserting a new one.");
    EXPECT_EQ(Stored(), Numbered(50));
    EXPECT_FALSE(Logged("insert name"));
    EXPECT_FALSE(Button(2056)->isEnabled());

    // With room, Insert writes at the focused row and keeps the focus there.
    grid->FocusRow(2);
    Key(grid, Qt::Key_Delete);
    ASSERT_EQ(Stored().size(), 49u);
    EXPECT_EQ(grid->FocusRow(), 1);   // up by the deleted row
    grid->FocusRow(2);
    Button(2058)->click();
    EXPECT_EQ(Stored()[1], "<empty>");
    EXPECT_EQ(grid->FocusRow(), 2);
    EXPECT_EQ(dialog->flashed.back(), std::vector<int>{2});
    EXPECT_EQ(dialog->pauses.back(), 100);
    EXPECT_EQ(dialog->marksAfterFlash.back(), NameMarks::writing);
    EXPECT_EQ(dialog->Mark(2), NameMarks::stored);
}

TEST_F(SeriesNamesDlg, ClearingTheLastNameSendsTheMaskAndEnterMovesOn)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C"}));
    grid->FocusRow(3);
    Key(grid, Qt::Key_F2);
    ASSERT_NE(grid->Editor(), nullptr);
    Key(grid->Editor(), Qt::Key_Delete);   // the whole text is selected
    Key(grid->Editor(), Qt::Key_Return);
    EXPECT_EQ(grid->Editor(), nullptr);
    EXPECT_TRUE(Logged("delete names, mask FFFFFFFFFFFFFFFC"));
    EXPECT_EQ(Stored(), (Names{"A", "B"}));
    EXPECT_EQ(dialog->Mark(3), NameMarks::noName);
    EXPECT_EQ(grid->FocusRow(), 4);
    EXPECT_TRUE(Button(2056)->isEnabled());

    // Undo writes the name back.
    Button(2056)->click();
    EXPECT_EQ(Stored(), (Names{"A", "B", "C"}));
    EXPECT_EQ(Row(3), QStringLiteral("C"));
    EXPECT_FALSE(Button(2056)->isEnabled());
}

TEST_F(SeriesNamesDlg, ANameTypedInRowTenMovesUpToRowFour)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C"}));
    grid->FocusRow(10);
    ASSERT_NO_FATAL_FAILURE(Type(QStringLiteral("Wickler 3")));
    Key(grid->Editor(), Qt::Key_Tab);
    EXPECT_TRUE(Logged("write name 3 \"Wickler 3\""));
    EXPECT_EQ(Stored(), (Names{"A", "B", "C", "Wickler 3"}));
    EXPECT_EQ(Row(4), QStringLiteral("Wickler 3"));
    EXPECT_TRUE(Row(10).isEmpty());
    EXPECT_EQ(dialog->flashed.back(), std::vector<int>{10});
    EXPECT_EQ(grid->FocusRow(), 11);

    // Shift+Tab and Tab move between rows without editing.
    Key(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->FocusRow(), 10);
    Key(grid, Qt::Key_Tab);
    Key(grid, Qt::Key_Return);
    EXPECT_EQ(grid->FocusRow(), 12);
    EXPECT_EQ(grid->Editor(), nullptr);
}

TEST_F(SeriesNamesDlg, TheEditorTakesOnlyWhatTheInstrumentStores)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B"}));
    grid->FocusRow(3);
    ASSERT_NO_FATAL_FAILURE(Type(QStringLiteral("Tambour 12 links")));
    EXPECT_EQ(grid->Editor()->text(), QStringLiteral("Tambour 12 l"));
    Key(grid->Editor(), Qt::Key_Return);
    EXPECT_EQ(Stored(), (Names{"A", "B", "Tambour 12 l"}));

    // A character beyond U+00FF is refused with a message; the row keeps
    // its name.
    grid->FocusRow(2);
    ASSERT_NO_FATAL_FAILURE(Type(QStringLiteral("Preis 5 ")));
    grid->Editor()->insert(QString(QChar(0x20AC)));
    std::u16string shown;
    ViewTest::AnswerMessageBox(QMessageBox::Ok, &shown);
    Key(grid->Editor(), Qt::Key_Return);
    EXPECT_NE(shown.find(u"cannot be stored on the Veltrano"), std::u16string::npos);
    EXPECT_EQ(Row(2), QStringLiteral("B"));
    EXPECT_EQ(Stored(), (Names{"A", "B", "Tambour 12 l"}));

    // Close while a name is being edited stores it first.
    grid->FocusRow(4);
    ASSERT_NO_FATAL_FAILURE(Type(QStringLiteral("Rolle 7")));
    Button(2059)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Stored(), (Names{"A", "B", "Tambour 12 l", "Rolle 7"}));
}

TEST_F(SeriesNamesDlg, ALostInstrumentSaysWhatFailedAndKeepsTheRows)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B"}));
    ui.wizard = [](CConnWizardSettings&) { return std::unique_ptr<Device::CVnDevice>(); };
    StopSim();
    grid->FocusRow(3);
    ASSERT_NO_FATAL_FAILURE(Type(QStringLiteral("C")));
    std::u16string shown;
    ViewTest::AnswerMessageBox(QMessageBox::Ok, &shown);
    Key(grid->Editor(), Qt::Key_Return);
    EXPECT_EQ(shown.rfind(u"The transfer failed", 0), 0u) << Platform::ToUtf8(shown);
    EXPECT_EQ(Row(1), QStringLiteral("A"));
    EXPECT_EQ(Row(2), QStringLiteral("B"));
}

TEST_F(SeriesNamesDlg, PastingFiveLinesAtRow48WritesThree)
{
    ASSERT_NO_FATAL_FAILURE(Open(Numbered(47)));
    QApplication::clipboard()->setText(QStringLiteral("L1\r\nL2  \nL3\nL4\nL5\n"));
    grid->FocusRow(48);
    Key(grid, Qt::Key_V, Qt::ControlModifier);
    Names expected = Numbered(47);
    expected.insert(expected.end(), {"L1", "L2", "L3"});
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(Row(50), QStringLiteral("L3"));
    EXPECT_FALSE(Logged("\"L4\""));
    EXPECT_EQ(dialog->flashed, (std::vector<std::vector<int>>{{48}, {49}, {50}}));
    EXPECT_EQ(dialog->pauses, (std::vector<int>{30, 30, 30}));
}

TEST_F(SeriesNamesDlg, CutCopyAndDeleteByKeyButtonAndContextMenu)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C", "D", "E"}));
    // Ctrl+X: the selected rows go to the clipboard and off the instrument;
    // the focus moves up by the rows deleted at or above it.
    ViewTest::ClickCell(grid, 2, 0);
    ViewTest::ClickCell(grid, 3, 1, QPoint(-1, -1), Qt::ShiftModifier);
    ASSERT_EQ(grid->SelectedRows(), (std::vector<int>{2, 3}));
    grid->SetFocusCell(3, 1);
    Key(grid, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("B\r\nC"));
    EXPECT_EQ(Stored(), (Names{"A", "D", "E"}));
    EXPECT_EQ(grid->FocusRow(), 1);

    // The Delete button.
    ViewTest::ClickCell(grid, 2, 0);
    Button(2060)->click();
    EXPECT_EQ(Stored(), (Names{"A", "E"}));

    // Nothing selected: Delete sends nothing.
    grid->ClearSelection();
    ClearLog();
    Key(grid, Qt::Key_Delete);
    EXPECT_FALSE(Logged("delete names"));

    // The context menu with a selection: its entries, then Delete.
    ViewTest::ClickCell(grid, 1, 0);
    QStringList entries;
    QTimer::singleShot(50, [&entries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* action : menu->actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->actions().last()->trigger();
        menu->close();
    });
    ViewTest::ClickCell(grid, 1, 0, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    ViewTest::ProcessEvents();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Cut\tCtrl+X"), QStringLiteral("Copy\tCtrl+C"), QStringLiteral("-"),
                                    QStringLiteral("Paste\tCtrl+V"), QStringLiteral("-"), QStringLiteral("Delete\tDel")}));
    EXPECT_EQ(Stored(), (Names{"E"}));

    // Without a selection no menu opens.
    grid->ClearSelection();
    bool opened = false;
    QTimer::singleShot(50, [&opened] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            opened = true;
            menu->close();
        }
    });
    ViewTest::ClickCell(grid, 1, 0, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    QTest::qWait(100);
    EXPECT_FALSE(opened);
}

#endif // BRELMORA_HAVE_SIM
