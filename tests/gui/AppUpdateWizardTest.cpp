// SPDX-License-Identifier: GPL-3.0-or-later
// The update wizard and the main frame's update menu against a real FTP
// server on loopback: the search page's results, the download with its
// progress and checks, the Save As fallback, the question before the
// installer starts, cancelling, and the background check at start-up.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>
#include <thread>

#include "app/BrelmoraApp.h"
#include "app/MainFrame.h"
#include "app/update/AutoUpdate.h"
#include "app/update/PageDownload.h"
#include "app/update/PageSearch.h"
#include "gui/AppTestSupport.h"
#include "platform/LanguageTable.h"
#include "support/FtpTestServer.h"
#include "update/UpdateStrings.h"

using namespace AppTest;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

class AppUpdateWizard : public CShellTest {
protected:
    void StartServer(const std::string& mode = "normal")
    {
        m_server = std::make_unique<TestEnv::CFtpTestServer>(
            std::string("gui-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), mode);
        ASSERT_TRUE(m_server->Ready()) << m_server->Log();
    }
    Update::SFtpServer Server() const { return Update::ParseFtpServer(QString::fromStdString(m_server->Url()).toStdU16String()); }

    void MakeWizard(const Update::SFtpServer& server)
    {
        m_folder = TestEnv::TempDir() + "/program-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_wizard = std::make_unique<CAutoUpdate>(nullptr, Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0"),
                                                 server, QString::fromStdString(m_folder));
        Update::SFtpTimeouts t;
        t.connectMs = 2000;
        t.responseMs = 1000;
        t.stallMs = 2000;
        m_wizard->SetTimeouts(t);
        m_wizard->SetLauncher([this](const QString& path) {
            m_launched.push_back(path);
            return m_launchWorks;
        });
    }

    void Begin()
    {
        m_wizard->BeginRun();
        m_wizard->show();
    }

    bool SearchEnded()
    {
        return WaitUntil([this] { return m_wizard->GetWizardButtons() != CAutoUpdate::buttonsNone; });
    }

    bool DownloadEnded()
    {
        return WaitUntil([this] {
            return m_wizard->GetWizardButtons() == CAutoUpdate::buttonsFinish || !m_wizard->isVisible();
        });
    }

    void TearDown() override
    {
        m_wizard.reset();
        m_server.reset();
        CShellTest::TearDown();
    }

    std::unique_ptr<TestEnv::CFtpTestServer> m_server;
    std::unique_ptr<CAutoUpdate> m_wizard;
    std::string m_folder;
    std::vector<QString> m_launched;
    bool m_launchWorks = true;
};

TEST_F(AppUpdateWizard, FindsDownloadsAndStartsTheNewestInstaller)
{
    StartServer();
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_8_2_0.exe", "older");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(25u << 20, 'q'));
    m_server->Put("VnUpgrade/Brelmora/readme.txt", "read me");
    MakeWizard(Server());
    m_messages.SetAnswer(AppMessages::answerYes);
    Begin();
    EXPECT_EQ(m_wizard->windowTitle(), QStringLiteral("Vantor"));
    ASSERT_TRUE(SearchEnded());
    CPageSearch* search = m_wizard->SearchPage();
    EXPECT_EQ(search->TitleText(), QStringLiteral("Searching update for Brelmora"));
    EXPECT_EQ(search->StatusText(), QStringLiteral("Receiving update information..."));
    EXPECT_EQ(search->MessageText(), QStringLiteral("Found a newer version of Brelmora on the server. \n"
                                                    " Server version: 1.9.0 \n Your version: 1.8.1"));
    EXPECT_TRUE(search->IsMessageShown());
    EXPECT_EQ(m_wizard->GetWizardButtons(), CAutoUpdate::buttonsNext);
    EXPECT_TRUE(m_wizard->NextButton()->isEnabled());
    EXPECT_EQ(m_wizard->NextButton()->text(), QStringLiteral("Next >"));

    QTest::mouseClick(m_wizard->NextButton(), Qt::LeftButton);
    CPageDownload* download = m_wizard->DownloadPage();
    EXPECT_EQ(m_wizard->CurrentPage(), 1);
    EXPECT_EQ(download->TitleText(), QStringLiteral("Downloading Setup_V_1_9_0_0.exe"));
    ASSERT_TRUE(DownloadEnded());
    EXPECT_EQ(download->AmountText(), QStringLiteral("25.00 MB downloaded"));
    EXPECT_EQ(download->Progress(), 100);

    // Asked first, with the file, its size and the server.
    ASSERT_EQ(m_messages.questions.size(), 1u);
    const QString question = QString::fromStdU16String(m_messages.questions[0]);
    const QString target = QString::fromStdString(m_folder + "/Setup_V_1_9_0_0.exe");
    EXPECT_TRUE(question.contains(target)) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("26214400 bytes")));
    EXPECT_TRUE(question.contains(QString::fromStdString(m_server->Url().substr(6))));
    EXPECT_TRUE(question.contains(QStringLiteral("could not be verified")));
    ASSERT_EQ(m_launched.size(), 1u);
    EXPECT_EQ(m_launched[0], target);
    EXPECT_EQ(m_wizard->result(), QDialog::Accepted);
    EXPECT_EQ(Entries(m_folder), std::vector<std::string>{"Setup_V_1_9_0_0.exe"});
    EXPECT_EQ(std::filesystem::file_size(m_folder + "/Setup_V_1_9_0_0.exe"), 25u << 20);
}

TEST_F(AppUpdateWizard, NothingNewerAndUnreachableServerEndWithFinish)
{
    StartServer();
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_8_1_0.exe", "this version");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.EXE", "upper case");
    MakeWizard(Server());
    Begin();
    ASSERT_TRUE(SearchEnded());
    EXPECT_EQ(m_wizard->SearchPage()->MessageText(),
              QStringLiteral("There is no update available. \nYou are already using the most recent version of Brelmora."));
    EXPECT_EQ(m_wizard->GetWizardButtons(), CAutoUpdate::buttonsFinish);
    EXPECT_TRUE(m_wizard->FinishButton()->isVisible());
    EXPECT_FALSE(m_wizard->NextButton()->isVisible());
    QTest::mouseClick(m_wizard->FinishButton(), Qt::LeftButton);
    EXPECT_FALSE(m_wizard->isVisible());
    EXPECT_EQ(m_wizard->result(), QDialog::Rejected);

    MakeWizard(Update::ParseFtpServer(u"ftp://127.0.0.1:1"));
    Begin();
    ASSERT_TRUE(SearchEnded());
    const QString error = QStringLiteral("No connection could be made to the download server 127.0.0.1:1. (Error 12029)");
    EXPECT_EQ(m_wizard->SearchPage()->StatusText(), error);
    EXPECT_FALSE(m_wizard->SearchPage()->IsMessageShown());
    EXPECT_EQ(m_wizard->GetWizardButtons(), CAutoUpdate::buttonsFinish);
    // Show-errors is on in the wizard: the text also came as an error box.
    ASSERT_TRUE(WaitUntil([this] { return !m_messages.messages.empty(); }, 2000));
    EXPECT_EQ(m_messages.messages.back().icon, SAppMessage::iconError);
    EXPECT_NE(m_messages.messages.back().text.find(error.toStdU16String()), std::u16string::npos);
}

TEST_F(AppUpdateWizard, ReadOnlyProgramFolderAsksWhereToSave)
{
    StartServer();
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", "installer");
    MakeWizard(Server());
    ASSERT_EQ(::chmod(m_folder.c_str(), 0555), 0);
    const std::string elsewhere = TestEnv::TempDir() + "/saved-elsewhere.exe";
    std::vector<QString> suggested;
    QString answer;
    m_wizard->SetSavePathAsker([&](const QString& name) {
        suggested.push_back(name);
        return answer;
    });
    // Cancelled: the page stays as it was and nothing is written.
    Begin();
    ASSERT_TRUE(SearchEnded());
    QTest::mouseClick(m_wizard->NextButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !suggested.empty(); }));
    EXPECT_EQ(suggested[0], QStringLiteral("Setup_V_1_9_0_0.exe"));
    QTest::qWait(100);
    EXPECT_EQ(m_wizard->GetWizardButtons(), CAutoUpdate::buttonsNone);
    EXPECT_EQ(m_wizard->DownloadPage()->TitleText(), QStringLiteral("Downloading Setup_V_1_9_0_0.exe"));
    QTest::mouseClick(m_wizard->CancelButton(), Qt::LeftButton);

    // A place that can be written takes the installer.
    answer = QString::fromStdString(elsewhere);
    m_messages.SetAnswer(AppMessages::answerNo);
    Begin();
    ASSERT_TRUE(SearchEnded());
    QTest::mouseClick(m_wizard->NextButton(), Qt::LeftButton);
    ASSERT_TRUE(DownloadEnded());
    ::chmod(m_folder.c_str(), 0755);
    EXPECT_EQ(m_wizard->DownloadPage()->TargetPath(), answer);
    EXPECT_TRUE(Entries(m_folder).empty());
    EXPECT_TRUE(std::filesystem::exists(elsewhere));
    // Declined: not started, the program stays; the page says where it is.
    EXPECT_TRUE(m_launched.empty());
    EXPECT_EQ(m_wizard->DownloadPage()->TitleText(),
              QStringLiteral("The installer was not started. It is saved as ") + answer + QStringLiteral("."));
    EXPECT_TRUE(m_wizard->isVisible());
}

TEST_F(AppUpdateWizard, ShortTransferFailedStartAndCancelLeaveNoInstaller)
{
    StartServer("short");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(100000, 'x'));
    MakeWizard(Server());
    Begin();
    ASSERT_TRUE(SearchEnded());
    QTest::mouseClick(m_wizard->NextButton(), Qt::LeftButton);
    ASSERT_TRUE(DownloadEnded());
    EXPECT_TRUE(m_wizard->DownloadPage()->TitleText().startsWith(QStringLiteral("Unknown error while downloading.\n")));
    EXPECT_FALSE(m_wizard->DownloadPage()->IsProgressShown());
    EXPECT_TRUE(Entries(m_folder).empty());
    EXPECT_TRUE(m_messages.questions.empty());
    QTest::mouseClick(m_wizard->FinishButton(), Qt::LeftButton);

    // An opener that fails: the program does not close.
    m_server = nullptr;
    StartServer();
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", "installer");
    MakeWizard(Server());
    m_messages.SetAnswer(AppMessages::answerYes);
    m_launchWorks = false;
    Begin();
    ASSERT_TRUE(SearchEnded());
    QTest::mouseClick(m_wizard->NextButton(), Qt::LeftButton);
    ASSERT_TRUE(DownloadEnded());
    EXPECT_EQ(m_launched.size(), 1u);
    EXPECT_TRUE(m_wizard->isVisible());
    EXPECT_TRUE(m_messages.HasText(Update::IDS_LAUNCH_FAILED) ||
                m_wizard->DownloadPage()->TitleText().contains(QStringLiteral("could not be started")));
}

TEST_F(AppUpdateWizard, CancelDuringTheDownloadEndsAtOnceWithoutAFile)
{
    StartServer("slow");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(8u << 20, 'z'));
    MakeWizard(Server());
    Begin();
    ASSERT_TRUE(SearchEnded());
    QTest::mouseClick(m_wizard->NextButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([this] { return m_wizard->DownloadPage()->Progress() >= 2; }));
    EXPECT_EQ(Entries(m_folder).size(), 1u);   // the temporary file
    const auto start = Clock::now();
    QTest::mouseClick(m_wizard->CancelButton(), Qt::LeftButton);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_FALSE(m_wizard->isVisible());
    EXPECT_TRUE(Entries(m_folder).empty());
}

TEST_F(AppUpdateWizard, StringsComeFromTheTableInGerman)
{
    const auto german = Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY));
    ASSERT_NE(german, nullptr);
    Platform::SetLanguageStrings(german);
    MakeWizard(Update::ParseFtpServer(u"ftp://127.0.0.1:1"));
    EXPECT_EQ(m_wizard->NextButton()->text(), QStringLiteral("Weiter >"));
    EXPECT_EQ(m_wizard->CancelButton()->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(m_wizard->FinishButton()->text(), QStringLiteral("Fertig stellen"));
}

class AppUpdateMenu : public AppUpdateWizard {
protected:
    void MakeFrame(const std::string& url)
    {
        SetString(u"UpdateServer", QString::fromStdString(url).toStdU16String());
        m_dir = std::make_unique<CProgramFolder>("update-frame");
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(m_dir->Program());
        m_app->ReadSettings();
        m_frame = std::make_unique<CMainFrame>(*m_app);
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        m_dir.reset();
        AppUpdateWizard::TearDown();
    }
    std::unique_ptr<CProgramFolder> m_dir;
    std::unique_ptr<CBrelmoraApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(AppUpdateMenu, BackgroundCheckAtStartUpOffersTheNewVersion)
{
    StartServer();
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_8_2_0.exe", "a");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", "b");
    MakeFrame(m_server->Url());
    ASSERT_TRUE(WaitUntil([this] { return m_frame->UpdateMenu() != nullptr; }));
    EXPECT_EQ(m_frame->NewProgramVersion(), CVersion(1, 9, 0, 0));
    EXPECT_EQ(m_frame->UpdateMenu()->title(), QStringLiteral("New version available!"));
    ASSERT_EQ(m_frame->UpdateMenu()->actions().size(), 1);
    EXPECT_EQ(m_frame->UpdateMenu()->actions()[0]->text(), QStringLiteral("Update Brelmora to version 1.9.0"));
}

TEST_F(AppUpdateMenu, ClosingWhileTheCheckHangsEndsWithinASecond)
{
    StartServer("silent");
    MakeFrame(m_server->Url());
    QTest::qWait(300);
    ASSERT_TRUE(m_frame->AutoUpdate()->IsCheckRunning());
    const auto start = Clock::now();
    m_frame->close();
    m_frame.reset();
    EXPECT_LT(MsSince(start), 1000);
}

TEST_F(AppUpdateMenu, FirmwareReportsFromAnotherThreadReachTheMenuAndTheReminder)
{
    MakeFrame("ftp://127.0.0.1:1");
    IFirmwareReport* report = m_frame.get();
    std::thread checkThread([report] {
        report->OnVersionFound(1042, CVersion(1, 4, 3, 1).GetValue());
        report->OnVersionFound(7, CVersion(9, 9, 9, 9).GetValue());   // not the firmware message
        report->OnReminder(u"Connect the PC to the Internet.");
    });
    checkThread.join();
    EXPECT_FALSE(m_frame->NewFirmwareVersion().IsValid());   // queued, not yet
    ASSERT_TRUE(WaitUntil([this] { return !m_messages.messages.empty(); }));
    EXPECT_EQ(m_frame->NewFirmwareVersion(), CVersion(1, 4, 3, 1));
    ASSERT_NE(m_frame->UpdateMenu(), nullptr);
    const QList<QAction*> items = m_frame->UpdateMenu()->actions();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.back()->text(), QStringLiteral("Update Veltrano to version 1.4.3"));
    EXPECT_EQ(m_messages.messages.back().icon, SAppMessage::iconInformation);
    EXPECT_EQ(m_messages.messages.back().text, u"Connect the PC to the Internet.");
}

} // namespace
