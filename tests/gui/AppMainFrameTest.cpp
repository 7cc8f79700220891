// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame: geometry, menu and tool bar, title, drops, closing, the
// update menu and the commands that report instead of acting.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "app/Commands.h"
#include "app/DesktopConnectionUi.h"
#include "app/MainFrame.h"
#include "views/connection/DevSelectSheet.h"
#include "data/PaperDoc.h"
#include "views/TabSheet.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

namespace {

const std::string kSample = std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";

class AppMainFrame : public CShellTest {
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        m_dir = std::make_unique<CProgramFolder>("frame");
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(m_dir->Program());
        m_app->ReadSettings();
        m_app->LoadLanguageLibrary();
        m_frame = std::make_unique<CMainFrame>(*m_app);
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        m_dir.reset();
        CShellTest::TearDown();
    }

    // The sample project copied under `name`.
    QUrl SampleAs(const std::string& name)
    {
        const std::string path = m_dir->folder + "/" + name;
        std::filesystem::copy_file(kSample, path, std::filesystem::copy_options::overwrite_existing);
        return QUrl::fromLocalFile(QString::fromStdString(path));
    }

    std::unique_ptr<CProgramFolder> m_dir;
    std::unique_ptr<CBrelmoraApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST(AppMainFrameGeometry, NearlyTheWholeScreen)
{
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080)),
              QRect(2, 2, 1916, 972));
    // A panel at the top moves the window below it; it never leaves the free area.
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(0, 0, 1920, 1080), QRect(0, 40, 1920, 1040)),
              QRect(2, 42, 1916, 972));
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(0, 0, 800, 600), QRect(0, 100, 700, 500)),
              QRect(2, 102, 698, 498));
}

TEST_F(AppMainFrame, MenuHoldsEveryCommandInOrder)
{
    const QList<QAction*> popups = m_frame->menuBar()->actions();
    ASSERT_EQ(popups.size(), 4);
    EXPECT_EQ(popups[0]->text(), "&File");
    EXPECT_EQ(popups[1]->text(), "&Device");
    EXPECT_EQ(popups[2]->text(), "&Edit");
    EXPECT_EQ(popups[3]->text(), "&Help");
    for (int popup = 0; popup < Commands::popupCount; ++popup) {
        std::vector<int> expected;
        for (const Commands::SMenuEntry& entry : Commands::MenuLayout()) {
            if (entry.popup == popup)
                expected.push_back(entry.command);
        }
        std::vector<int> actual;
        for (QAction* action : popups[popup]->menu()->actions())
            actual.push_back(action->isSeparator() ? 0 : action->data().toInt());
        EXPECT_EQ(actual, expected) << "popup " << popup;
    }
    const std::vector<int> file = {57601, 57602, 57603, 2010, 0, 2021, 0, Commands::ID_ARCHIVE,
                                   Commands::ID_ADD_TO_ARCHIVE, 104, 105, Commands::ID_PRINT_PREVIEW, 0, 120, 0, 57665};
    std::vector<int> fileIds;
    for (QAction* action : popups[0]->menu()->actions())
        fileIds.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(fileIds, file);

    EXPECT_EQ(m_frame->Action(Commands::ID_DOWNLOAD)->text(), "&Download all measurement series on Veltrano");
    EXPECT_EQ(m_frame->Action(Commands::ID_COPY_PICTURE)->text(), "Copy as &picture");
    // Tool tips are the second line of the command's string, prompts the first.
    EXPECT_EQ(m_frame->Action(Commands::ID_EXPORT)->toolTip(), "Export to a text file");
    EXPECT_EQ(m_frame->Action(Commands::ID_EXPORT)->statusTip(), "Export as text to a text file");
    EXPECT_EQ(m_frame->Action(Commands::ID_DISCONNECT)->toolTip(), "Disconnect Veltrano device");
    // The Edit menu shows the keys of its commands.
    EXPECT_EQ(m_frame->Action(Commands::ID_COPY)->shortcut(), QKeySequence(QKeySequence::Copy));
    EXPECT_EQ(m_frame->Action(Commands::ID_CUT)->shortcut(), QKeySequence(QKeySequence::Cut));
    EXPECT_EQ(m_frame->Action(Commands::ID_PASTE)->shortcut(), QKeySequence(QKeySequence::Paste));
    EXPECT_EQ(m_frame->Action(Commands::ID_SELECT_ALL)->shortcut(), QKeySequence(QKeySequence::SelectAll));
    EXPECT_EQ(m_frame->Action(Commands::ID_DELETE)->shortcut(), QKeySequence(QKeySequence::Delete));
}

TEST_F(AppMainFrame, ToolBarCarriesThirtyTwoPixelPictures)
{
    auto* bar = m_frame->findChild<QToolBar*>(QStringLiteral("MainToolBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->iconSize(), QSize(32, 32));
    int buttons = 0;
    for (QAction* action : bar->actions()) {
        if (action->data().isValid()) {
            ++buttons;
            EXPECT_FALSE(action->icon().pixmap(32, 32).isNull()) << action->data().toInt();
        }
    }
    EXPECT_EQ(buttons, 13);
    EXPECT_TRUE(bar->actions().contains(m_frame->Action(Commands::ID_DISCONNECT)));
    EXPECT_TRUE(bar->actions().contains(m_frame->Action(Commands::ID_ARCHIVE)));
}

TEST_F(AppMainFrame, DroppedProjectOpensAndOtherFilesAreIgnored)
{
    std::ofstream(m_dir->folder + "/notes.txt") << "not a project";
    const QUrl text = QUrl::fromLocalFile(QString::fromStdString(m_dir->folder + "/notes.txt"));
    EXPECT_FALSE(m_frame->HandleDroppedFiles({text}));
    EXPECT_FALSE(m_frame->HandleDroppedFiles({text, SampleAs("second.vnr")}));   // only the first counts
    EXPECT_TRUE(m_frame->GetDocument().GetPath().empty());
    EXPECT_TRUE(m_messages.messages.empty());

    EXPECT_TRUE(m_frame->HandleDroppedFiles({SampleAs("ROLLS.VNR"), text}));
    EXPECT_TRUE(m_frame->GetDocument().HasSeries());
    EXPECT_EQ(m_frame->GetDocument().GetTitle(true), u"ROLLS");
    // The title follows the document's notification, which is queued.
    QCoreApplication::processEvents();
    EXPECT_EQ(m_frame->windowTitle(), "ROLLS - Brelmora");
}

TEST_F(AppMainFrame, CommandLineOpensTheProjectWithTheEnergyColumn)
{
    SCommandLine commandLine;
    commandLine.energy = true;
    commandLine.projectPath = SampleAs("cmd.vnr").toLocalFile().toStdU16String();
    m_frame->ReadCommandLine(commandLine);
    EXPECT_TRUE(m_frame->GetDocument().IsEnergyMode());
    EXPECT_EQ(m_frame->GetDocument().GetPath(), commandLine.projectPath);
}

TEST_F(AppMainFrame, PrintAndCopyAsPictureGoToTheSummaryPage)
{
    ASSERT_TRUE(m_frame->GetDocument().OpenProject(SampleAs("summary.vnr").toLocalFile().toStdU16String()));
    m_frame->show();
    auto* sheet = m_frame->findChild<CTabSheet*>();
    ASSERT_NE(sheet, nullptr);
    sheet->setCurrentIndex(1);
    QCoreApplication::processEvents();
    m_frame->UpdateCommandStates();
    for (int id : {Commands::ID_PRINT, Commands::ID_PRINT_PREVIEW, Commands::ID_COPY_PICTURE, Commands::ID_COPY})
        EXPECT_TRUE(m_frame->Action(id)->isEnabled()) << id;
    for (int id : {Commands::ID_PASTE, Commands::ID_CUT, Commands::ID_DELETE, Commands::ID_SELECT_ALL})
        EXPECT_FALSE(m_frame->Action(id)->isEnabled()) << id;
    QGuiApplication::clipboard()->clear();
    m_frame->OnCommand(Commands::ID_COPY_PICTURE);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/svg+xml")));
    EXPECT_TRUE(data->hasImage());
    // An empty document: nothing to print or preview.
    m_frame->GetDocument().CloseProject();
    QCoreApplication::processEvents();
    m_frame->UpdateCommandStates();
    EXPECT_FALSE(m_frame->Action(Commands::ID_PRINT)->isEnabled());
    EXPECT_FALSE(m_frame->Action(Commands::ID_PRINT_PREVIEW)->isEnabled());
    EXPECT_EQ(m_frame->Action(Commands::ID_PRINT_PREVIEW)->text(), QStringLiteral("Print pre&view"));
}

TEST_F(AppMainFrame, ClosingAsksAndCancelKeepsTheProgramRunning)
{
    ASSERT_TRUE(m_frame->HandleDroppedFiles({SampleAs("changed.vnr")}));
    m_frame->GetDocument().SetChangeMark();
    m_frame->show();
    m_messages.SetAnswer(AppMessages::answerCancel);
    EXPECT_FALSE(m_frame->close());
    EXPECT_TRUE(m_frame->isVisible());
    ASSERT_EQ(m_messages.questions.size(), 1u);
    EXPECT_EQ(m_messages.questions[0], Platform::LoadString(59399));
    EXPECT_TRUE(m_frame->GetDocument().HasSeries());

    m_messages.SetAnswer(AppMessages::answerNo);
    EXPECT_TRUE(m_frame->close());
    EXPECT_FALSE(m_frame->GetDocument().HasSeries());
}

TEST_F(AppMainFrame, UpdateMenuFollowsTheReportedVersions)
{
    EXPECT_EQ(m_frame->UpdateMenu(), nullptr);
    m_frame->OnNewProgramVersion(CVersion::FromMessageParams(9 * 65536 + 1, 5 * 65536 + 2));   // 1.9.2.5
    ASSERT_NE(m_frame->UpdateMenu(), nullptr);
    EXPECT_EQ(m_frame->NewProgramVersion(), CVersion(1, 9, 2, 5));
    EXPECT_EQ(m_frame->menuBar()->actions().last()->text(), "New version available!");
    ASSERT_EQ(m_frame->UpdateMenu()->actions().size(), 1);
    EXPECT_EQ(m_frame->UpdateMenu()->actions()[0]->text(), "Update Brelmora to version 1.9.2");

    m_frame->OnNewFirmwareVersion(CVersion::FromMessageParams(1 * 65536 + 2, 0));   // 2.1.0.0
    ASSERT_EQ(m_frame->UpdateMenu()->actions().size(), 2);
    EXPECT_EQ(m_frame->UpdateMenu()->actions()[1]->text(), "Update Veltrano to version 2.1.0");
    EXPECT_EQ(m_frame->UpdateMenu()->actions()[1]->data().toInt(), Commands::ID_UPGRADE);
    EXPECT_EQ(m_frame->menuBar()->actions().size(), 5);

    // The update checks report from their own threads, as posted messages.
    std::thread([frame = m_frame.get()] {
        QMetaObject::invokeMethod(
            frame, [frame] { frame->OnNewFirmwareVersion(CVersion::FromMessageParams(1 * 65536 + 3, 0)); },
            Qt::QueuedConnection);
    }).join();
    EXPECT_EQ(m_frame->NewFirmwareVersion(), CVersion(2, 1, 0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_frame->NewFirmwareVersion(), CVersion(3, 1, 0, 0));

    // All parts zero: nothing newer.
    m_frame->OnNewProgramVersion(CVersion::FromMessageParams(0, 0));
    ASSERT_EQ(m_frame->UpdateMenu()->actions().size(), 1);
    m_frame->OnNewFirmwareVersion(CVersion::FromMessageParams(0, 0));
    EXPECT_EQ(m_frame->UpdateMenu(), nullptr);
    EXPECT_EQ(m_frame->menuBar()->actions().size(), 4);
}

TEST_F(AppMainFrame, EveryDeviceCommandRunsTheWizardWithoutAnInstrument)
{
    // No command says "This function is not available yet." any more:
    // without an instrument each opens the wizard (cancelled here).
    int wizards = 0;
    m_frame->ConnectionUi().SetSheetObserver([&wizards](CDevSelectSheet& sheet) {
        ++wizards;
        QTimer::singleShot(0, &sheet, [&sheet] { sheet.reject(); });
    });
    for (int id : {Commands::ID_DOWNLOAD, Commands::ID_DELETE_ALL, Commands::ID_SERIES_NAMES,
                   Commands::ID_DEVICE_OPTIONS}) {
        m_messages.messages.clear();
        m_frame->OnCommand(id);
        EXPECT_FALSE(m_messages.HasText(AppStrings::kNotAvailableYet)) << id;
    }
    EXPECT_EQ(wizards, 4);
    EXPECT_FALSE(m_frame->IsCommandEnabled(Commands::ID_DISCONNECT));
}

TEST_F(AppMainFrame, RestoreAsksFirstAndNeedsOriginalData)
{
    EXPECT_FALSE(m_frame->IsCommandEnabled(Commands::ID_RESTORE_ORIGINAL));
    ASSERT_TRUE(m_frame->HandleDroppedFiles({SampleAs("restore.vnr")}));
    EXPECT_TRUE(m_frame->IsCommandEnabled(Commands::ID_RESTORE_ORIGINAL));
    CPaperDoc& doc = m_frame->GetDocument();
    const int count = doc.GetCount();
    ASSERT_GT(count, 1);
    doc.DeleteSeries(0);

    m_messages.SetAnswer(AppMessages::answerNo);
    m_frame->OnCommand(Commands::ID_RESTORE_ORIGINAL);
    EXPECT_EQ(doc.GetCount(), count - 1);
    ASSERT_EQ(m_messages.questions.size(), 1u);
    EXPECT_EQ(m_messages.questions[0], u"Do you really want to restore all orignal (downloaded) data?");

    m_messages.SetAnswer(AppMessages::answerYes);
    m_frame->OnCommand(Commands::ID_RESTORE_ORIGINAL);
    EXPECT_EQ(doc.GetCount(), count);
    EXPECT_TRUE(doc.HasChangeMark());
}

TEST_F(AppMainFrame, HelpFilesAndWebPagesOpenThroughTheDesktop)
{
    // The manual lives in the "Pfad" folder (the program's folder here).
    m_frame->OnCommand(Commands::ID_HELP);
    EXPECT_TRUE(m_messages.opened.empty());
    ASSERT_EQ(m_messages.messages.size(), 1u);   // missing: said so
    EXPECT_NE(m_messages.messages[0].text.find(u"Veltrano_ENU.pdf"), std::u16string::npos);

    std::ofstream(m_dir->folder + "/Veltrano_ENU.pdf") << "%PDF";
    m_frame->OnCommand(Commands::ID_HELP);
    ASSERT_EQ(m_messages.opened.size(), 1u);
    EXPECT_EQ(m_messages.opened[0], QUrl::fromLocalFile(QString::fromStdString(m_dir->folder + "/Veltrano_ENU.pdf")));

    m_frame->OnCommand(Commands::ID_FEEDBACK);
    ASSERT_EQ(m_messages.opened.size(), 2u);
    EXPECT_EQ(m_messages.opened[1].toString().toStdU16String(), Platform::LoadString(59582));
}

} // namespace
