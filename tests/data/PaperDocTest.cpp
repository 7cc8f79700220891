// SPDX-License-Identifier: GPL-3.0-or-later
// The project document: commands, marks, views, titles and saving safely.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include "DocTestSupport.h"
#include "SeriesBytesBuilder.h"
#include "data/PaperDoc.h"

using namespace DataTest;

namespace {

void Download(CPaperDoc& doc, int count = 2)
{
    const auto info = InfoBlock("S-77");
    doc.StoreDownloadedInfo(info.data(), info.size());
    std::vector<Series> list;
    for (int i = 0; i < count; ++i) {
        Series s;
        s.id = "R" + std::to_string(i);
        s.counter = static_cast<uint16_t>(i + 1);
        s.values = {static_cast<uint8_t>(50 + i), 60};
        list.push_back(s);
    }
    const auto bytes = InstrumentRecords(list);
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
}

// Names in the folder that start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.rfind(prefix, 0) == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

} // namespace

TEST(PaperDoc, DownloadSetsTheChangeMarkAndFillsBothCollections)
{
    CPaperDoc doc;
    FakeView view;
    doc.RegisterView(&view);
    const std::vector<uint8_t> shortInfo(100, 1);
    EXPECT_FALSE(doc.StoreDownloadedInfo(shortInfo.data(), shortInfo.size()));
    Download(doc, 3);
    EXPECT_EQ(doc.GetCount(), 3);
    EXPECT_EQ(doc.GetOriginal().GetCount(), 3);
    EXPECT_EQ(doc.GetSerial(2), u"S-77");
    EXPECT_EQ(doc.GetOriginal().GetSerial(2), u"S-77");
    EXPECT_TRUE(doc.TakeChangeMark());
    EXPECT_FALSE(doc.TakeChangeMark());
    EXPECT_EQ(view.calls, (std::vector<int>{-1, -1, -1}));

    doc.SetRollId(0, u"changed");
    doc.DeleteSeries(2);
    doc.TakeChangeMark();
    doc.RestoreOriginal();
    EXPECT_EQ(doc.GetCount(), 3);
    EXPECT_EQ(doc.GetRollId(0), u"R0");
    EXPECT_TRUE(doc.HasChangeMark());
}

TEST(PaperDoc, ViewsAreToldExceptTheSender)
{
    CPaperDoc doc;
    FakeView a, b;
    doc.RegisterView(&a);
    doc.RegisterView(&b);
    doc.RegisterView(&b);   // once only
    doc.NotifyViews(&a, 4);
    EXPECT_TRUE(a.calls.empty());
    EXPECT_EQ(b.calls, std::vector<int>{4});

    // A view that unregisters another while being told.
    struct Unregistering : IDocumentView {
        CPaperDoc* doc;
        IDocumentView* other;
        void OnDocumentChanged(int) override { doc->UnregisterView(other); }
    } first;
    CPaperDoc doc2;
    first.doc = &doc2;
    first.other = &b;
    doc2.RegisterView(&first);
    doc2.RegisterView(&b);
    b.calls.clear();
    doc2.NotifyViews(nullptr, -1);
    EXPECT_TRUE(b.calls.empty());

    Download(doc);
    doc.SetInSummary(1, false);
    EXPECT_EQ(b.calls.back(), 1);
    EXPECT_FALSE(doc.SetInSummary(1, true));
    EXPECT_TRUE(doc.SetInSummary(1, true));
    doc.SetAllInSummary(false);
    EXPECT_EQ(b.calls.back(), -1);
    EXPECT_FALSE(doc.GetInSummary(0));
    EXPECT_FALSE(doc.GetInSummary(1));
}

TEST(PaperDoc, TitleOfPathsAndUnnamedProjects)
{
    CPaperDoc doc;
    EXPECT_EQ(doc.GetTitle(true), u"");
    Download(doc);
    EXPECT_EQ(doc.GetTitle(true), u"Unnamed");
    EXPECT_EQ(doc.GetTitle(false), u"Unnamed");

    const std::u16string path = TempPath16("Test.vnr");
    doc.SetUi(nullptr);
    ASSERT_TRUE(doc.WriteProject(path));
    CPaperDoc loaded;
    ASSERT_TRUE(loaded.OpenProject(path));
    EXPECT_EQ(loaded.GetTitle(true), u"Test");
    EXPECT_EQ(loaded.GetTitle(false), path);

    // Names with more dots or without an extension.
    const std::u16string other = TempPath16("batch.2024.backup");
    ASSERT_TRUE(loaded.WriteProject(other));
    ASSERT_TRUE(loaded.OpenProject(other));
    EXPECT_EQ(loaded.GetTitle(true), u"batch.2024");
    const std::u16string plain = TempPath16("plain");
    ASSERT_TRUE(loaded.WriteProject(plain));
    ASSERT_TRUE(loaded.OpenProject(plain));
    EXPECT_EQ(loaded.GetTitle(true), u"plain");
}

TEST(PaperDoc, ClosingAsksOnlyWithChangesAndSeries)
{
    CPaperDoc doc;
    FakeUi ui;
    doc.SetUi(&ui);
    EXPECT_TRUE(doc.CloseProject());
    EXPECT_TRUE(ui.questions.empty());

    Download(doc);
    ui.answer = IDocumentUi::answerCancel;
    EXPECT_FALSE(doc.CloseProject());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], u"Would you like to save changes in your Project?");
    EXPECT_EQ(doc.GetCount(), 2);

    // Yes without a path: the save dialog; cancelling it keeps the project.
    ui.answer = IDocumentUi::answerYes;
    EXPECT_FALSE(doc.CloseProject());
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].initialName, u"Unnamed");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, u"vnr");
    EXPECT_EQ(ui.saveRequests[0].filter, u"Brelmora Project (*.vnr)|*.vnr|All Files (*.*)|*.*||");
    EXPECT_TRUE(ui.saveRequests[0].overwritePrompt);
    EXPECT_EQ(doc.GetCount(), 2);

    ui.dialogOk = true;
    ui.dialogPath = TempPath16("closing.vnr");
    EXPECT_TRUE(doc.CloseProject());
    EXPECT_EQ(doc.GetCount(), 0);
    EXPECT_EQ(doc.GetOriginal().GetCount(), 0);
    EXPECT_TRUE(doc.GetPath().empty());
    EXPECT_FALSE(doc.HasChangeMark());
    EXPECT_EQ(ReadFile(TempPath("closing.vnr")).empty(), false);

    // Without a front end the question answers "No".
    doc.SetUi(nullptr);
    Download(doc);
    EXPECT_TRUE(doc.CloseProject());
    EXPECT_EQ(doc.GetCount(), 0);
}

TEST(PaperDoc, EditsAfterOpeningAreNotLostSilently)
{
    CPaperDoc doc;
    Download(doc);
    const std::u16string path = TempPath16("edited.vnr");
    ASSERT_TRUE(doc.WriteProject(path));
    ASSERT_TRUE(doc.OpenProject(path));
    EXPECT_FALSE(doc.HasChangeMark());
    doc.SetExpanded(0, true);     // view state: no question
    EXPECT_FALSE(doc.HasChangeMark());
    doc.SetComment(1, u"checked");

    FakeUi ui;
    doc.SetUi(&ui);
    ui.answer = IDocumentUi::answerYes;
    EXPECT_TRUE(doc.CloseProject());
    EXPECT_EQ(ui.questions.size(), 1u);
    CPaperDoc reread;
    ASSERT_TRUE(reread.OpenProject(path));
    EXPECT_EQ(reread.GetComment(1), u"checked");
}

TEST(PaperDoc, OpenWithoutPathUsesTheDialog)
{
    CPaperDoc doc;
    FakeUi ui;
    doc.SetUi(&ui);
    EXPECT_FALSE(doc.OpenProject(u""));
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].initialName, u"*.vnr");
    EXPECT_FALSE(ui.openRequests[0].overwritePrompt);

    CPaperDoc source;
    Download(source, 4);
    const std::u16string path = TempPath16("dialog.vnr");
    ASSERT_TRUE(source.WriteProject(path));
    ui.dialogOk = true;
    ui.dialogPath = path;
    EXPECT_TRUE(doc.OpenProject(u""));
    EXPECT_EQ(doc.GetCount(), 4);
    EXPECT_EQ(doc.GetPath(), path);

    // Without a front end the dialog counts as cancelled.
    CPaperDoc bare;
    EXPECT_FALSE(bare.OpenProject(u""));
    EXPECT_FALSE(bare.SaveProjectAs());
}

TEST(PaperDocSave, SuccessReplacesTheFileAndLeavesNoTemporaryFile)
{
    CPaperDoc doc;
    Download(doc);
    const std::string path = TempPath("replace.vnr");
    WriteFile(path, std::vector<uint8_t>(10, 'x'));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(path)));
    EXPECT_FALSE(doc.HasChangeMark());
    const auto bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(bytes[0], 0xFE);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesStartingWith(TestEnv::TempDir(), "replace.vnr").size(), 1u);
}

TEST(PaperDocSave, FailureKeepsTheOldFileAndTheChangeMark)
{
    CPaperDoc doc;
    FakeUi ui;
    doc.SetUi(&ui);
    Download(doc);
    const std::string path = TempPath("keep.vnr");
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFile(path, old);

    // A comment too long for the file format makes the write fail midway.
    doc.SetComment(0, std::u16string(70000, u'x'));
    EXPECT_FALSE(doc.WriteProject(Platform::FromUtf8(path)));
    EXPECT_TRUE(doc.HasChangeMark());
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(FilesStartingWith(TestEnv::TempDir(), "keep.vnr").size(), 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageError);
    EXPECT_NE(ui.messages[0].second.find(Platform::FromUtf8(path)), std::u16string::npos);

    // A folder that does not exist.
    ui.messages.clear();
    doc.SetComment(0, u"short");
    const std::u16string nowhere = TempPath16("no/such/folder/x.vnr");
    EXPECT_FALSE(doc.SaveProject());   // no path: the dialog is cancelled
    ui.dialogOk = true;
    ui.dialogPath = nowhere;
    EXPECT_FALSE(doc.SaveProjectAs());
    EXPECT_TRUE(doc.GetPath().empty());
    EXPECT_TRUE(doc.HasChangeMark());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].second.find(nowhere), std::u16string::npos);
}
