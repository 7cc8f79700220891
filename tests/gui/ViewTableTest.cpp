// SPDX-License-Identifier: GPL-3.0-or-later
// The series table page: fill, texts, sorting by header clicks, expanding,
// the summary tick, in-place editing, selection, deleting and right-click
// editing, driven on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

#include "ViewTestSupport.h"
#include "controls/GridCtrl.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/dialogs/DateTimeDlg.h"
#include "views/table/GridCellBarRange.h"
#include "views/table/GridCellDetailGripper.h"
#include "views/table/GridCellSeries.h"
#include "views/dialogs/LimitDlg.h"
#include "views/dialogs/SeriesNotAddedDlg.h"
#include "views/table/TabGrid.h"
#include "views/ViewSettings.h"

using ViewTest::Load;
using ViewTest::MakeSeries;
using ViewTest::ProcessEvents;
using ViewTest::Values;

namespace {

// A second view of the document that records its notifications.
class CountingView : public IDocumentView {
public:
    explicit CountingView(CPaperDoc& doc) : m_doc(doc) { m_doc.RegisterView(this); }
    ~CountingView() override { m_doc.UnregisterView(this); }
    std::vector<int> calls;
    void OnDocumentChanged(int index) override { calls.push_back(index); }

private:
    CPaperDoc& m_doc;
};

class ViewTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        Load(doc, {MakeSeries("ROLL-A", 1180, Values(17, 90)), MakeSeries("ROLL-B", 1197, Values(9, 100)),
                   MakeSeries("ROLL-C", 1206, {95}, 0, 200)});
        page = std::make_unique<CTabGrid>(&doc);
        page->resize(1100, 600);
        page->show();
        ProcessEvents();
        grid = page->Grid();
    }

    QString Text(int row, int col)
    {
        grid->PrepareRow(row);
        return grid->GetCell(row, col)->GetText();
    }
    QString CopyText(int row, int col)
    {
        grid->PrepareRow(row);
        return grid->GetCell(row, col)->GetCopyText();
    }

    CPaperDoc doc;
    std::unique_ptr<CTabGrid> page;
    CGridCtrl* grid = nullptr;
};

} // namespace

TEST_F(ViewTable, FillMakesAHeaderAndTwoRowsPerSeries)
{
    EXPECT_EQ(grid->GetRowCount(), 7);
    EXPECT_EQ(grid->GetColumnCount(), 9);
    EXPECT_EQ(grid->GetCell(0, 1)->GetText(), QStringLiteral("Roll ID"));
    EXPECT_EQ(grid->GetCell(0, 3)->GetCopyText(), QStringLiteral("Mean value\tUnit\t"));
    EXPECT_EQ(grid->GetRowHeight(0), 26);
    EXPECT_EQ(grid->GetRowHeight(1), 22);
    EXPECT_EQ(grid->GetRowHeight(2), 0);   // detail rows start collapsed
    EXPECT_NE(dynamic_cast<CGridCellDetailGripper*>(grid->GetCell(1, 0)), nullptr);
    EXPECT_NE(dynamic_cast<CGridCellBarRange*>(grid->GetCell(1, 3)), nullptr);
    // The merged graph cell spans columns 1..8.
    int first = 0, last = 0;
    grid->GetCellSpan(2, 5, first, last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 8);
    EXPECT_NE(dynamic_cast<CGridCellSeries*>(grid->GetCell(2, 5)), nullptr);
    // Only the roll ID is editable.
    EXPECT_FALSE(grid->GetCell(1, 1)->IsReadOnly());
    EXPECT_TRUE(grid->GetCell(1, 2)->IsReadOnly());

    doc.SetEnergyMode(true);
    page->Refill(-1);
    EXPECT_EQ(grid->GetColumnCount(), 10);
    EXPECT_EQ(grid->GetCell(0, 9)->GetText(), QStringLiteral("Energy"));
}

TEST_F(ViewTable, EmptyDocumentShowsTheHeaderOnlyAndForgetsTheWidths)
{
    doc.Sort(3);
    page->Refill(-1);
    grid->SetColumnWidth(2, 333);
    page->Refill(-1);
    EXPECT_EQ(grid->GetColumnWidth(2), 333);   // widths survive the refill of a sorted table
    EXPECT_FALSE(page->GetSavedWidths().empty());

    doc.CloseProject();
    ProcessEvents();
    EXPECT_EQ(grid->GetRowCount(), 1);
    EXPECT_TRUE(page->GetSavedWidths().empty());
    EXPECT_EQ(page->GetCopyText(), SeriesPageText::HeaderLine(false));
}

TEST_F(ViewTable, UnsortedRefillSizesTheColumnsAnewAndTheMeanColumnFollowsTheWindow)
{
    // A cut date column (as after a switch to a longer date format) is sized
    // anew by the next refill while the table is unsorted.
    grid->SetColumnWidth(2, 20);
    page->Refill(-1);
    EXPECT_GT(grid->GetColumnWidth(2), 60);
    EXPECT_TRUE(page->GetSavedWidths().empty());

    // The columns fill the visible area less 8 pixels: no horizontal scroll bar.
    const int client = grid->GetClientSize().width();
    EXPECT_EQ(grid->GetTotalWidth(), client - 8);
    page->resize(1500, 600);
    ProcessEvents();
    EXPECT_EQ(grid->GetTotalWidth(), grid->GetClientSize().width() - 8);
    EXPECT_GT(grid->GetClientSize().width(), client);
    // Narrower than the natural widths: the mean column keeps its natural
    // width and the horizontal scroll bar takes over.
    page->resize(300, 600);
    ProcessEvents();
    const int natural = grid->GetColumnWidth(3);
    EXPECT_GT(grid->GetTotalWidth(), grid->GetClientSize().width());
    page->resize(1100, 600);
    ProcessEvents();
    EXPECT_EQ(grid->GetTotalWidth(), grid->GetClientSize().width() - 8);
    EXPECT_GT(grid->GetColumnWidth(3), natural);

    // Enough rows for a vertical scroll bar: the fill is computed after it.
    std::vector<DataTest::Series> many;
    for (int i = 0; i < 60; ++i)
        many.push_back(MakeSeries("R" + std::to_string(i), 1000 + i, Values(5, 80)));
    Load(doc, many);
    ProcessEvents();
    EXPECT_LT(grid->GetClientSize().width(), page->width() - 10);
    EXPECT_EQ(grid->GetTotalWidth(), grid->GetClientSize().width() - 8);

    // A mean column the user sized stays as it is.
    grid->SetColumnWidth(3, 150);
    page->resize(1300, 600);
    ProcessEvents();
    EXPECT_EQ(grid->GetColumnWidth(3), 150);
}

TEST_F(ViewTable, SortedRefillRebindsTheRowsItKeeps)
{
    // ROLL-A is open; sorted by roll ID descending it moves to the last row,
    // and its open graph and its texts go with it.
    page->ToggleExpanded(0, false);
    ProcessEvents();
    ASSERT_GT(grid->GetRowHeight(CTabGrid::DetailRow(0)), 0);
    CGridCell* kept = grid->GetCell(CTabGrid::ValueRow(0), 1);
    page->OnHeaderClicked(1);   // ascending
    page->OnHeaderClicked(1);   // descending
    ProcessEvents();
    EXPECT_EQ(grid->GetCell(CTabGrid::ValueRow(0), 1), kept);   // the cells were kept
    EXPECT_EQ(Text(CTabGrid::ValueRow(0), 1), QStringLiteral("ROLL-C"));
    EXPECT_EQ(Text(CTabGrid::ValueRow(2), 1), QStringLiteral("ROLL-A"));
    EXPECT_EQ(grid->GetRowHeight(CTabGrid::DetailRow(0)), 0);
    EXPECT_GT(grid->GetRowHeight(CTabGrid::DetailRow(2)), 0);
    EXPECT_EQ(static_cast<CGridCellSeries*>(grid->GetCell(CTabGrid::DetailRow(2), 1))->GetSeries(), 2);
    EXPECT_TRUE(static_cast<CGridCellDetailGripper*>(grid->GetCell(CTabGrid::ValueRow(2), 0))->IsExpanded());
    EXPECT_FALSE(static_cast<CGridCellDetailGripper*>(grid->GetCell(CTabGrid::ValueRow(0), 0))->IsExpanded());
}

TEST_F(ViewTable, CellTextsComeFromTheSharedTextCode)
{
    EXPECT_EQ(Text(1, 0), QStringLiteral("1180"));
    EXPECT_EQ(CopyText(1, 0), QStringLiteral("\r\n1180\t"));
    EXPECT_EQ(Text(1, 1), QStringLiteral("ROLL-A"));
    EXPECT_EQ(Text(1, 5), QStringLiteral("40 R"));
    // One impact: no standard deviation.
    EXPECT_EQ(Text(5, 8), QStringLiteral("--"));
    EXPECT_EQ(CopyText(5, 8), QStringLiteral("--\t"));
    // The bar-range cell of a series without limits draws no band and the
    // whole bar in the inside colour.
    grid->PrepareRow(5);
    auto* bar = dynamic_cast<CGridCellBarRange*>(grid->GetCell(5, 3));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->GetValues().withoutLimits);
    const SBarRangeGeometry g = CGridCellBarRange::Layout(QRect(0, 0, 200, 22), bar->GetValues());
    EXPECT_TRUE(g.band.isNull());
    EXPECT_EQ(g.insideBar, g.outsideBar);
}

TEST_F(ViewTable, PageCopyTextIsTheExportText)
{
    page->ToggleExpanded(1, false);   // expanded or not, every series is in it
    const uint32_t dt = ViewSettings::DtFormat();
    EXPECT_EQ(page->GetCopyText(), SeriesPageText::ExportText(doc.GetCurrent(), false, dt));
    doc.SetEnergyMode(true);
    page->Refill(-1);
    EXPECT_EQ(page->GetCopyText(), SeriesPageText::ExportText(doc.GetCurrent(), true, dt));

    // The bundled sample project, with some rows open.
    CPaperDoc sample;
    ASSERT_TRUE(sample.OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr")));
    CTabGrid samplePage(&sample);
    samplePage.ToggleExpanded(0, false);
    samplePage.ToggleExpanded(4, false);
    EXPECT_EQ(samplePage.GetCopyText(), SeriesPageText::ExportText(sample.GetCurrent(), false, dt));
}

TEST_F(ViewTable, HeaderClicksToggleTheSortCodes)
{
    ViewTest::ClickCell(grid, 0, 1);   // roll ID: 5, then 6
    EXPECT_EQ(doc.GetSortMode(), 5);
    EXPECT_EQ(grid->GetSortColumn(), 1);
    EXPECT_TRUE(grid->IsSortAscending());
    ProcessEvents();
    ViewTest::ClickCell(grid, 0, 1);
    EXPECT_EQ(doc.GetSortMode(), 6);
    EXPECT_FALSE(grid->IsSortAscending());
    EXPECT_EQ(Text(1, 1), QStringLiteral("ROLL-C"));
    ProcessEvents();
    ViewTest::ClickCell(grid, 0, 1);
    EXPECT_EQ(doc.GetSortMode(), 5);

    const uint8_t pairs[9][2] = {{1, 2}, {5, 6}, {3, 4}, {7, 8}, {17, 18}, {9, 10}, {11, 12}, {19, 20}, {15, 16}};
    for (int c = 0; c < 9; ++c) {
        page->OnHeaderClicked(c);
        EXPECT_EQ(doc.GetSortMode(), pairs[c][0]) << c;
        page->OnHeaderClicked(c);
        EXPECT_EQ(doc.GetSortMode(), pairs[c][1]) << c;
        EXPECT_EQ(grid->GetSortColumn(), c);
    }
    // The energy column is not there: no effect.
    page->OnHeaderClicked(9);
    EXPECT_EQ(doc.GetSortMode(), 16);
    doc.SetEnergyMode(true);
    page->Refill(-1);
    page->OnHeaderClicked(9);
    EXPECT_EQ(doc.GetSortMode(), 21);
    ProcessEvents();
    // Mode 0 shows no mark.
    doc.Sort(0);
    page->Refill(-1);
    EXPECT_EQ(grid->GetSortColumn(), -1);
}

TEST_F(ViewTable, GripperExpandsAndCollapsesTheDetailRow)
{
    // A click on the expand sign animates the row open.
    ViewTest::ClickCell(grid, 1, 0, QPoint(CGridCellDetailGripper::kExpandLeft + 5, 11));
    EXPECT_TRUE(doc.GetExpanded(0));
    auto* cell = dynamic_cast<CGridCellSeries*>(grid->GetCell(2, 1));
    ASSERT_NE(cell, nullptr);
    const int target = cell->GetTargetHeight();
    EXPECT_GT(target, 300);
    EXPECT_LT(grid->GetRowHeight(2), target);
    for (int k = 0; k < 200 && cell->IsAnimating(); ++k)
        QTest::qWait(10);
    EXPECT_EQ(grid->GetRowHeight(2), cell->GetCurrentHeight());
    EXPECT_EQ(grid->GetRowHeight(2), target);
    // Collapsing without animation.
    page->ToggleExpanded(0, false);
    EXPECT_FALSE(doc.GetExpanded(0));
    EXPECT_EQ(grid->GetRowHeight(2), 0);

    // Expand all and collapse all, drawn once at the end.
    page->ExpandAll(true);
    EXPECT_TRUE(grid->IsRedrawOn());
    for (int s = 0; s < 3; ++s) {
        EXPECT_TRUE(doc.GetExpanded(s));
        EXPECT_GT(grid->GetRowHeight(CTabGrid::DetailRow(s)), 0);
        EXPECT_TRUE(dynamic_cast<CGridCellDetailGripper*>(grid->GetCell(CTabGrid::ValueRow(s), 0))->IsExpanded());
    }
    // A refill keeps the rows open.
    page->Refill(-1);
    EXPECT_GT(grid->GetRowHeight(2), 0);
    page->ExpandAll(false);
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(grid->GetRowHeight(CTabGrid::DetailRow(s)), 0);
}

TEST_F(ViewTable, SummaryTickRefusedForTheOtherKind)
{
    // Two R series in the summary; a Q series cannot join them.
    doc.SetRFlag(2, 0);
    doc.SetInSummary(2, false);
    ProcessEvents();
    auto* gripper = dynamic_cast<CGridCellDetailGripper*>(grid->GetCell(5, 0));
    ASSERT_NE(gripper, nullptr);
    EXPECT_FALSE(gripper->IsTicked());

    bool shown = false;
    ViewTest::WhenModal<CSeriesNotAddedDlg>([&](CSeriesNotAddedDlg* d) {
        shown = true;
        d->CheckBox()->setChecked(true);
        d->accept();
    });
    ViewTest::ClickCell(grid, 5, 0, QPoint(CGridCellDetailGripper::kTickLeft + 10, 11));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(doc.GetInSummary(2));
    EXPECT_FALSE(gripper->IsTicked());
    EXPECT_TRUE(page->IsNotAddedSuppressed());

    // Once "do not show again" was ticked, a refusal shows nothing.
    auto active = std::make_shared<bool>(true);
    auto seen = std::make_shared<int>(0);
    ViewTest::CatchModal<CSeriesNotAddedDlg>(active, seen);
    page->ToggleInSummary(2);
    *active = false;
    EXPECT_EQ(*seen, 0);
    EXPECT_FALSE(doc.GetInSummary(2));

    // Unticking and ticking a series of the same kind works.
    page->ToggleInSummary(0);
    EXPECT_FALSE(doc.GetInSummary(0));
    page->ToggleInSummary(0);
    EXPECT_TRUE(doc.GetInSummary(0));
    ProcessEvents();
    EXPECT_TRUE(dynamic_cast<CGridCellDetailGripper*>(grid->GetCell(1, 0))->IsTicked());
}

TEST_F(ViewTable, RollIdIsEditedInPlace)
{
    CountingView other(doc);
    QWidget* viewport = grid->viewport();
    ViewTest::ClickCell(grid, 3, 1);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(grid->GetCellRect(3, 1).center()),
                    QPointF(viewport->mapToGlobal(grid->GetCellRect(3, 1).center())), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(viewport, &dbl);
    ASSERT_TRUE(grid->IsEditing());
    QLineEdit* editor = grid->Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("ROLL-B"));
    editor->setText(QStringLiteral("NEW-ID 7"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(doc.GetRollId(1), u"NEW-ID 7");
    EXPECT_EQ(Text(3, 1), QStringLiteral("NEW-ID 7"));
    EXPECT_EQ(other.calls, std::vector<int>{1});

    // Escape keeps the old text; read-only cells do not edit.
    ASSERT_TRUE(grid->EditCell(1, 1));
    editor = grid->Editor();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("dropped"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(editor, &escape);
    EXPECT_EQ(doc.GetRollId(0), u"ROLL-A");
    EXPECT_FALSE(grid->EditCell(1, 2));
}

TEST_F(ViewTable, SelectionCouplesValueAndDetailRowsAndCountsSeries)
{
    QString status;
    QObject::connect(page.get(), &CTabGrid::statusText, [&](const QString& t) { status = t; });
    ViewTest::ClickCell(grid, 3, 4);
    EXPECT_TRUE(grid->IsCellSelected(4, 4));   // the detail row below
    EXPECT_TRUE(grid->IsMergedCellSelected(4, 1));
    EXPECT_EQ(page->GetSelectedCount(), 1);
    EXPECT_EQ(status, QStringLiteral("Selected objects: 1      Total objects: 3        "));
    // The focus never stays on a detail row.
    page->ToggleExpanded(0, false);
    ViewTest::ClickCell(grid, 2, 3);
    EXPECT_EQ(grid->GetFocusCell().y(), 1);
    EXPECT_TRUE(grid->IsCellSelected(1, 3));
    // Ctrl adds a series, Ctrl again takes it off.
    ViewTest::ClickCell(grid, 5, 2, QPoint(-1, -1), Qt::ControlModifier);
    EXPECT_EQ(page->SelectedSeries(), (std::vector<uint8_t>{1, 0, 1}));
    ViewTest::ClickCell(grid, 5, 2, QPoint(-1, -1), Qt::ControlModifier);
    EXPECT_EQ(page->SelectedSeries(), (std::vector<uint8_t>{1, 0, 0}));
    // Shift extends from the anchor.
    ViewTest::ClickCell(grid, 1, 1);
    ViewTest::ClickCell(grid, 5, 1, QPoint(-1, -1), Qt::ShiftModifier);
    EXPECT_EQ(page->GetSelectedCount(), 3);
    page->RunCommand(IPage::cmdSelectAll);
    EXPECT_EQ(page->GetSelectedCount(), 3);
    EXPECT_EQ(status, QStringLiteral("Selected objects: 3      Total objects: 3        "));
    // Keys move the focus over value rows only.
    ViewTest::ClickCell(grid, 1, 2);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(grid, &down);
    EXPECT_EQ(grid->GetFocusCell().y(), 3);
}

TEST_F(ViewTable, DeleteAsksAndDeletesTheSelectedSeries)
{
    ViewTest::ClickCell(grid, 3, 2);
    EXPECT_TRUE(page->IsCommandEnabled(IPage::cmdDelete));
    ViewTest::AnswerMessageBox(QMessageBox::No);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(grid, &del);
    EXPECT_EQ(doc.GetCount(), 3);

    std::u16string question;
    ViewTest::AnswerMessageBox(QMessageBox::Yes, &question);
    QApplication::sendEvent(grid, &del);
    EXPECT_EQ(question, u"Do you really want to delete the selected measurement series?");
    ASSERT_EQ(doc.GetCount(), 2);
    EXPECT_EQ(doc.GetRollId(0), u"ROLL-A");
    EXPECT_EQ(doc.GetRollId(1), u"ROLL-C");
    EXPECT_TRUE(doc.HasChangeMark());
    EXPECT_EQ(grid->GetRowCount(), 5);
    ProcessEvents();
    EXPECT_FALSE(page->IsCommandEnabled(IPage::cmdDelete));
}

TEST_F(ViewTable, RightClickEditsTimeAndLimitsOfEverySelectedSeries)
{
    ViewTest::ClickCell(grid, 1, 5);
    ViewTest::ClickCell(grid, 3, 5, QPoint(-1, -1), Qt::ControlModifier);
    ViewTest::ClickCell(grid, 1, 2, QPoint(-1, -1), Qt::ControlModifier);
    ViewTest::ClickCell(grid, 3, 2, QPoint(-1, -1), Qt::ControlModifier);
    const uint32_t before0 = doc.GetDateTime(0), before1 = doc.GetDateTime(1), before2 = doc.GetDateTime(2);

    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Lower limit"));
        EXPECT_EQ(d->Edit()->text(), QStringLiteral("40"));
        d->Edit()->setText(QStringLiteral("30"));
        d->accept();
    });
    ViewTest::ClickCell(grid, 3, 5, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(doc.GetLowerLimit(0), 60);
    EXPECT_EQ(doc.GetLowerLimit(1), 60);
    EXPECT_EQ(doc.GetLowerLimit(2), 0);
    EXPECT_EQ(Text(1, 5), QStringLiteral("30 R"));

    ViewTest::WhenModal<CDateTimeDlg>([](CDateTimeDlg* d) {
        d->DatePicker()->setDate(d->DatePicker()->date().addDays(2));
        d->accept();
    });
    ViewTest::ClickCell(grid, 1, 2, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(doc.GetDateTime(0), before0 + 2 * 86400u);
    EXPECT_EQ(doc.GetDateTime(1), before1 + 2 * 86400u);
    EXPECT_EQ(doc.GetDateTime(2), before2);

    // A right click on a cell that is not selected selects its row first.
    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Upper limit"));
        EXPECT_EQ(d->Edit()->text(), QStringLiteral("100"));
        d->reject();
    });
    ViewTest::ClickCell(grid, 5, 6, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(page->SelectedSeries(), (std::vector<uint8_t>{0, 0, 1}));
    EXPECT_EQ(doc.GetUpperLimit(2), 200);
}

TEST_F(ViewTable, ContextMenuHasTheCellGroupOnlyOnCells)
{
    QStringList onCell, onHeader;
    std::vector<bool> enabled;
    const auto capture = [](QStringList* texts, std::vector<bool>* states) {
        QTimer::singleShot(20, [texts, states] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions()) {
                *texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
                if (a->isSeparator())
                    continue;
                if (states != nullptr)
                    states->push_back(a->isEnabled());
                EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
            }
            menu->close();
        });
    };
    capture(&onCell, &enabled);
    ViewTest::ClickCell(grid, 3, 4, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(onCell, (QStringList{"Expand all", "Collapse all", "-", "Use all series for summary",
                                   "Remove all series from summary", "-", "Cut", "Copy", "Paste", "-", "Delete"}));
    // The row was selected by the right click: cut, copy, delete enabled.
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, true, true, true, doc.CanPaste(), true}));
    capture(&onHeader, nullptr);
    ViewTest::ClickCell(grid, 0, 4, QPoint(-1, -1), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(onHeader.first(), QStringLiteral("Use all series for summary"));
}

TEST_F(ViewTable, GraphLinksToggleOrderAndAxisAndEditTheComment)
{
    page->ToggleExpanded(0, false);
    auto* cell = dynamic_cast<CGridCellSeries*>(grid->GetCell(2, 1));
    ASSERT_NE(cell, nullptr);
    grid->viewport()->grab();   // paints, which registers the areas
    const auto clickArea = [&](int id) {
        for (const SSensitiveArea& a : cell->GetAreas()) {
            if (a.id == id) {
                ViewTest::ClickCell(grid, 2, 1, a.rect.center());
                ProcessEvents();
                grid->viewport()->grab();
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(clickArea(CSeriesGraph::areaOrder));
    EXPECT_EQ(doc.GetGraphOrder(0), 1);
    ASSERT_TRUE(clickArea(CSeriesGraph::areaOrder));
    EXPECT_EQ(doc.GetGraphOrder(0), 0);
    ASSERT_TRUE(clickArea(CSeriesGraph::areaAxis));
    EXPECT_FALSE(doc.GetAutoAxis(0));

    ViewTest::WhenModal<QDialog>([](QDialog* d) {
        auto* edit = d->findChild<QPlainTextEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setPlainText(QStringLiteral("first line\nsecond \"line\""));
        d->accept();
    });
    ASSERT_TRUE(clickArea(CSeriesGraph::areaComment));
    EXPECT_EQ(doc.GetComment(0), u"first line\r\nsecond \"line\"");
    EXPECT_EQ(cell->GetCopyText().toStdU16String(), SeriesPageText::DetailCopyText(doc.GetCurrent(), 0));
    EXPECT_NE(cell->GetCopyText().indexOf(QStringLiteral("first line<br>second &quotline&quot")), -1);

    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Upper limit"));
        d->Edit()->setText(QStringLiteral("75"));
        d->accept();
    });
    ASSERT_TRUE(clickArea(CSeriesGraph::areaUpper));
    EXPECT_EQ(doc.GetUpperLimit(0), 150);
}

TEST_F(ViewTable, NewLanguageReloadsTheTexts)
{
    Platform::SetLanguageStrings(Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)));
    page->OnDocumentChanged(-1);
    ProcessEvents();
    EXPECT_EQ(grid->GetCell(0, 1)->GetText(), QStringLiteral("Rollen-ID"));
    EXPECT_EQ(grid->GetCell(0, 3)->GetCopyText(), QStringLiteral("Mittelwert\tEinheit\t"));
    Platform::SetLanguageStrings(nullptr);
    page->OnDocumentChanged(-1);
    ProcessEvents();
    EXPECT_EQ(grid->GetCell(0, 1)->GetText(), QStringLiteral("Roll ID"));
}
