// SPDX-License-Identifier: GPL-3.0-or-later
// The archive window's Open, Add to project and History on a real SQLite
// archive in which one series was archived twice (its roll ID edited) and
// another three times (roll ID, then comment).
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QTableView>
#include <QTableWidget>

#include "ViewTestSupport.h"
#include "archive/LabArchive.h"
#include "data/DocTestSupport.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "support/TestEnv.h"
#include "views/archive/ArchiveHistoryDlg.h"
#include "views/archive/ArchiveResultModel.h"
#include "views/archive/ArchiveWindow.h"

namespace {

class ArchiveOpenHistory : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ViewTest::EnsureApplication();
        // Add to project passes the series through the stream library's RAM disk.
        ASSERT_TRUE(StreamIO::Initialize());
        s_path = TestEnv::TempDir() + "/open-history.sqlite";
        std::vector<DataTest::Series> list;
        for (int i = 0; i < 3; ++i)
            list.push_back(ViewTest::MakeSeries("H-" + std::to_string(i), static_cast<uint16_t>(i + 1),
                                                ViewTest::Values(6, static_cast<uint8_t>(90 + i)), 80, 120,
                                                848000000u + static_cast<uint32_t>(i) * 600));
        auto archive = Archive::CLabArchive::Open(Location(), Archive::CLabArchive::EMode::Write);
        CPaperDoc doc;
        ViewTest::Load(doc, list);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
        doc.SetRollId(0, u"H-0 edited");
        doc.SetRollId(1, u"H-1 edited");
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
        doc.SetComment(1, u"re-measured");
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
    }
    static Archive::SArchiveLocation Location()
    {
        return Archive::ParseArchiveLocation(Platform::FromUtf8(s_path));
    }
    // Selects the rows (in time order: H-0, H-1, H-2).
    static void Select(CArchiveWindow& window, std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window.Table()->selectionModel();
        selection->clearSelection();
        for (const int row : rows) {
            selection->select(window.Model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            selection->setCurrentIndex(window.Model()->index(row, 0), QItemSelectionModel::NoUpdate);
        }
    }
    static std::string s_path;
};
std::string ArchiveOpenHistory::s_path;

TEST_F(ArchiveOpenHistory, OpenMakesANewProjectOfTheFirstAndNewestStates)
{
    CArchiveWindow window(Location());
    ASSERT_EQ(window.Model()->rowCount(), 3);
    CPaperDoc doc;
    DataTest::FakeUi ui;
    doc.SetUi(&ui);
    // Without a document Open does nothing.
    Select(window, {0, 2});
    EXPECT_FALSE(window.OpenSelected());

    // An edited project: the close asks; Cancel keeps it as it is.
    ViewTest::Load(doc, {ViewTest::MakeSeries("Mine", 77, ViewTest::Values(4))});
    doc.SetRollId(0, u"Mine edited");
    ASSERT_TRUE(doc.HasChangeMark());
    window.SetDocument(&doc);
    ui.answer = IDocumentUi::answerCancel;
    EXPECT_FALSE(window.OpenSelected());
    EXPECT_EQ(ui.questions.size(), 1u);
    ASSERT_EQ(doc.GetCount(), 1);
    EXPECT_EQ(doc.GetRollId(0), u"Mine edited");

    // No: the archived series replace it, as downloaded and as edited.
    ui.answer = IDocumentUi::answerNo;
    ASSERT_TRUE(window.OpenSelected());
    ASSERT_EQ(doc.GetCount(), 2);
    ASSERT_EQ(doc.GetOriginal().GetCount(), 2);
    EXPECT_EQ(doc.GetOriginal().GetRollId(0), u"H-0");
    EXPECT_EQ(doc.GetRollId(0), u"H-0 edited");
    EXPECT_EQ(doc.GetOriginal().GetRollId(1), u"H-2");
    EXPECT_EQ(doc.GetRollId(1), u"H-2");
    EXPECT_EQ(doc.GetSerial(0), u"VT-10428");
    EXPECT_EQ(doc.GetImpactCount(0), 6);
    EXPECT_TRUE(doc.GetPath().empty());
    EXPECT_TRUE(doc.HasChangeMark());

    // A double-click opens the clicked row alone, again through the close.
    ui.questions.clear();
    Select(window, {1});
    emit window.Table()->doubleClicked(window.Model()->index(1, 0));
    EXPECT_EQ(ui.questions.size(), 1u);
    ASSERT_EQ(doc.GetCount(), 1);
    EXPECT_EQ(doc.GetComment(0), u"re-measured");
    EXPECT_EQ(doc.GetOriginal().GetComment(0), u"");
}

TEST_F(ArchiveOpenHistory, AddToProjectAppendsTheNewestStatesAsAPasteDoes)
{
    CArchiveWindow window(Location());
    CPaperDoc doc;
    ViewTest::Load(doc, {ViewTest::MakeSeries("Mine", 77, ViewTest::Values(4), 80, 120, 849000000u)});
    DataTest::FakeUi ui;
    doc.SetUi(&ui);
    window.SetDocument(&doc);
    Select(window, {0, 1});
    ASSERT_EQ(window.SelectedIds().size(), 2u);
    ASSERT_TRUE(window.AddSelected());
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(doc.GetCount(), 3);
    // The original collection stays as it was; the project is changed.
    EXPECT_EQ(doc.GetOriginal().GetCount(), 1);
    EXPECT_TRUE(doc.HasChangeMark());
    std::vector<std::u16string> ids;
    for (int i = 0; i < doc.GetCount(); ++i)
        ids.push_back(doc.GetRollId(i));
    EXPECT_NE(std::find(ids.begin(), ids.end(), u"Mine"), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), u"H-0 edited"), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), u"H-1 edited"), ids.end());

    // Nothing selected: nothing added.
    window.Table()->selectionModel()->clearSelection();
    EXPECT_FALSE(window.AddSelected());
    EXPECT_EQ(doc.GetCount(), 3);
}

TEST_F(ArchiveOpenHistory, HistoryShowsEveryRevisionWithTheChangedFieldsMarked)
{
    CArchiveWindow window(Location());
    QDialog* shown = nullptr;
    QObject::connect(&window, &CArchiveWindow::historyShown, [&shown](QDialog* d) { shown = d; });
    Select(window, {1});
    window.ShowHistory();
    auto* dialog = qobject_cast<CArchiveHistoryDlg*>(shown);
    ASSERT_NE(dialog, nullptr);
    QTableWidget* table = dialog->Table();
    ASSERT_EQ(table->rowCount(), 3);
    ASSERT_EQ(table->columnCount(), CArchiveHistoryDlg::kColumns);
    const auto changed = [table](int row, int column) {
        return table->item(row, column)->data(CArchiveHistoryDlg::kChangedRole).toBool();
    };
    EXPECT_TRUE(table->item(0, CArchiveHistoryDlg::colRevision)->text().startsWith("1"));
    EXPECT_TRUE(table->item(0, CArchiveHistoryDlg::colRevision)->text().contains("downloaded"));
    EXPECT_EQ(table->item(0, CArchiveHistoryDlg::colRollId)->text(), "H-1");
    EXPECT_EQ(table->item(1, CArchiveHistoryDlg::colRollId)->text(), "H-1 edited");
    EXPECT_EQ(table->item(2, CArchiveHistoryDlg::colComment)->text(), "re-measured");
    EXPECT_EQ(table->item(2, CArchiveHistoryDlg::colSource)->text(), "download from COM1:");
    // Revision 2 changed the roll ID only, revision 3 the comment only.
    for (int c = 0; c < CArchiveHistoryDlg::kColumns; ++c) {
        EXPECT_FALSE(changed(0, c)) << c;
        EXPECT_EQ(changed(1, c), c == CArchiveHistoryDlg::colRollId) << c;
        EXPECT_EQ(changed(2, c), c == CArchiveHistoryDlg::colComment) << c;
    }
    EXPECT_TRUE(table->item(1, CArchiveHistoryDlg::colRollId)->font().bold());
    EXPECT_FALSE(table->item(1, CArchiveHistoryDlg::colComment)->font().bold());
    EXPECT_TRUE(dialog->windowTitle().contains("H-1 edited"));
    dialog->close();
}

} // namespace
