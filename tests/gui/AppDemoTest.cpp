// SPDX-License-Identifier: GPL-3.0-or-later
// The demo mode: the simulated Veltrano in process behind a COM number of
// this run only; the wizard opens on it with scanning off and finds it; the
// title says the instrument is simulated; and the settings file afterwards
// holds exactly what a plain start leaves there.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <QAbstractButton>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/ArchiveWindowCommand.h"
#include "app/Commands.h"
#include "app/Demo.h"
#include "app/DownloadArchiver.h"
#include "archive/ArchiveLocation.h"
#include "gui/AppConnectionSupport.h"
#include "sim/VeltranoSimulator.h"
#include "views/archive/ArchiveResultModel.h"
#include "views/archive/ArchiveWindow.h"

using namespace AppConnectionTest;

namespace {

std::string RegistryPath()
{
    return std::getenv("BRELMORA_REGISTRY");
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Puts the settings file back as it was (a new file, as the store writes).
void WriteFile(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".restore";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::filesystem::rename(temporary, path);
}

class AppDemo : public AppTest::CShellTest {
protected:
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        m_dir.reset();
        Device::StopDeviceThread();
        CShellTest::TearDown();
    }

    // One run of the program as main() makes it (InitInstance with the
    // command line, without the splash's wait); with the demo a download
    // runs through the wizard with Return on each page.  Then everything
    // goes again (ExitInstance).
    void Run(bool demo)
    {
        m_dir = std::make_unique<AppTest::CProgramFolder>("demo");
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(m_dir->Program());
        m_app->SetSplashTime(0);
        std::vector<std::u16string> args = {m_dir->Program()};
        if (demo)
            args.push_back(u"--demo");
        ASSERT_TRUE(m_app->InitInstance(args));
        CMainFrame* frame = m_app->GetMainFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(m_app->GetDemo() != nullptr, demo);
        EXPECT_EQ(frame->windowTitle().contains("simulated"), demo);
        if (demo) {
            frame->ConnectionUi().SetSheetObserver([this](CDevSelectSheet& sheet) { DriveWizard(sheet); });
            frame->OnCommand(Commands::ID_DOWNLOAD);
            EXPECT_EQ(frame->GetDocument().GetCount(), 24);
        }
        m_app->ExitInstance();
        EXPECT_EQ(m_app->GetDemo(), nullptr);
        m_app.reset();
    }

    void DriveWizard(CDevSelectSheet& sheet)
    {
        auto stepper = std::make_shared<CStepper>();
        CDevSelectSheet* s = &sheet;
        const int port = m_app->GetDemo()->GetComPort();
        stepper->Add([this, s, port] {
            if (!s->isVisible() || s->currentId() != CDevSelectSheet::kPortPageId)
                return false;
            // On the demo's port, scanning off.
            m_portShown = s->findChild<QSpinBox*>("ComPort")->value() == port &&
                          !s->findChild<QCheckBox*>("ScanPorts")->isChecked();
            Key(Qt::Key_Return);
            return true;
        });
        stepper->Add([this, s] {
            if (s->currentId() != CDevSelectSheet::kResultPageId || !s->button(QWizard::FinishButton)->isEnabled())
                return false;
            m_status = s->findChild<QPlainTextEdit*>("SearchStatus")->toPlainText();
            Key(Qt::Key_Return);
            return true;
        });
        m_stepper = stepper;
        stepper->Start();
    }

    std::unique_ptr<AppTest::CProgramFolder> m_dir;
    std::unique_ptr<CBrelmoraApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
    std::shared_ptr<CStepper> m_stepper;
    bool m_portShown = false;
    QString m_status;
};

TEST_F(AppDemo, FindsTheSimulatorOnItsOwnPortAndSaysItIsSimulated)
{
    // Downloads of earlier tests in this program archive into the default
    // file; gone now, its absence at the end shows the demo did not write it.
    std::filesystem::remove(Archive::DefaultArchiveLocation().path);
    m_dir = std::make_unique<AppTest::CProgramFolder>("demo-title");
    m_app = std::make_unique<CBrelmoraApp>();
    m_app->SetProgramPath(m_dir->Program());
    m_app->ReadSettings();
    ASSERT_TRUE(m_app->StartDemo());
    CDemoMode* demo = m_app->GetDemo();
    ASSERT_NE(demo, nullptr);
    EXPECT_TRUE(demo->IsRunning());
    const int port = demo->GetComPort();
    // Every COM number of the test's settings leads nowhere: the first is free.
    EXPECT_EQ(port, 1);
    EXPECT_EQ(Platform::ComPortDevicePath(port), demo->Simulator()->GetSlavePath());
    EXPECT_EQ(CDemoMode::FindFreeComPort(), 2);   // taken for this run

    m_frame = std::make_unique<CMainFrame>(*m_app);
    m_frame->show();
    EXPECT_TRUE(m_frame->windowTitle().contains("Demo: simulated Veltrano")) << m_frame->windowTitle().toStdString();
    m_frame->ConnectionUi().SetSheetObserver([this](CDevSelectSheet& sheet) { DriveWizard(sheet); });
    m_frame->OnCommand(Commands::ID_DOWNLOAD);
    ASSERT_TRUE(m_stepper && m_stepper->Finished());
    EXPECT_TRUE(m_portShown);
    // Only the demo's port was opened.
    EXPECT_TRUE(m_status.startsWith(QStringLiteral("Serial COM%1:\n").arg(port))) << m_status.toStdString();
    EXPECT_EQ(m_status.count(QStringLiteral("COM")), 1) << m_status.toStdString();
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 24);
    EXPECT_EQ(m_frame->DeviceFieldText(), QStringLiteral("Veltrano VT-20417 on COM%1").arg(port));
    // No firmware check: it would count failures in the settings.
    EXPECT_FALSE(m_frame->Connection().HasReminder());
    // The download went into the demo's own archive, on a worker, without a
    // step by the user; the archive window finds it there.
    QElapsedTimer timer;
    timer.start();
    while (DownloadArchiver::Running() > 0 && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(DownloadArchiver::Running(), 0);
    const std::optional<std::u16string> demoArchive = ArchiveWindowCommand::ProcessArchive();
    ASSERT_TRUE(demoArchive.has_value());
    const Archive::SArchiveLocation location = Archive::ResolveArchiveLocation(demoArchive);
    EXPECT_NE(location.path, Archive::DefaultArchiveLocation().path);
    CArchiveWindow archiveWindow(location);
    EXPECT_EQ(archiveWindow.Model()->rowCount(), 24);
    EXPECT_FALSE(std::filesystem::exists(Archive::DefaultArchiveLocation().path));

    m_frame.reset();
    m_app.reset();
    // The mapping was for the run only.
    EXPECT_EQ(Platform::ComPortDevicePath(port), "/nonexistent/brelmora-test/COM1");
}

TEST_F(AppDemo, LeavesTheSettingsFileAsAPlainStartDoes)
{
    const std::string path = RegistryPath();
    const std::string before = ReadFile(path);

    Run(false);
    const std::string plain = ReadFile(path);

    WriteFile(path, before);
    Run(true);
    ASSERT_TRUE(m_stepper && m_stepper->Finished());
    EXPECT_TRUE(m_portShown);
    const std::string afterDemo = ReadFile(path);
    EXPECT_EQ(afterDemo, plain);
    // No wizard values, no port mapping, no firmware counters.
    EXPECT_EQ(afterDemo.find("ConnWizard"), std::string::npos);
    EXPECT_EQ(afterDemo.find("FwUpdateFail"), std::string::npos);
    EXPECT_EQ(afterDemo.find("pts"), std::string::npos);
}

} // namespace
