// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program talks to the simulated Veltrano on a pseudo-terminal:
// the wizard worked by keyboard, Retry, Cancel, the download with its
// outcomes, the progress window's Cancel, delete all, disconnect and the
// keep-alive that finds a lost instrument.
#include "gui/AppConnectionSupport.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "controls/GridCtrl.h"

#include "app/Commands.h"
#include "connection/ConnectionStrings.h"
#include "device/DeviceStrings.h"
#include "platform/StringTable.h"
#include "views/connection/ConnectionViewStrings.h"
#include "views/table/TabGrid.h"

using namespace AppConnectionTest;
using Platform::LoadString;

namespace {

bool WaitFor(const std::function<bool()>& condition, int ms = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString Text(uint32_t id)
{
    return QString::fromStdU16String(LoadString(id));
}

TEST_F(AppConnection, DownloadThroughBothPagesByKeyboard)
{
    Start();
    // No settings yet: the port page opens with scanning on.
    m_onSheet = [this](CDevSelectSheet& sheet) {
        auto stepper = std::make_shared<CStepper>();
        CDevSelectSheet* s = &sheet;
        stepper->Add([s] {
            // The kinds' drop-down has the focus; Tab reaches the scan box,
            // Space turns scanning off ...
            QWidget* focus = QApplication::focusWidget();
            if (!s->isVisible() || focus == nullptr)
                return false;
            if (focus->objectName() == "PortKind") {
                Key(Qt::Key_Tab);
                return false;
            }
            if (focus->objectName() != "ScanPorts")
                return false;
            Key(Qt::Key_Space);
            return true;
        });
        stepper->Add([] {
            // ... Tab reaches the port number, which takes "43" ...
            Key(Qt::Key_Tab);
            return true;
        });
        stepper->Add([s] {
            auto* port = s->findChild<QSpinBox*>("ComPort");
            if (QApplication::focusWidget() != port)
                return false;
            Key(Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(port, "43");
            return true;
        });
        stepper->Add([] {
            // ... and Return is Next.
            Key(Qt::Key_Return);
            return true;
        });
        stepper->Add([s] {
            if (s->currentId() != CDevSelectSheet::kResultPageId || !s->button(QWizard::FinishButton)->isEnabled())
                return false;
            // The found instrument is listed and described.
            EXPECT_EQ(s->findChild<QComboBox*>("FoundDevices")->currentText(),
                      "Serial number: VT-20417    @ COM43");
            EXPECT_TRUE(s->findChild<QPlainTextEdit*>("DeviceInfo")->toPlainText().contains("VT-20417"));
            EXPECT_TRUE(s->findChild<QPlainTextEdit*>("SearchStatus")->toPlainText().endsWith(
                Text(ConnectionStrings::kSearchFound)));
            Key(Qt::Key_Return);
            return true;
        });
        m_stepper = stepper;
        stepper->Start();
    };

    m_frame->OnCommand(Commands::ID_DOWNLOAD);
    ASSERT_TRUE(m_stepper && m_stepper->Finished()) << "steps done: " << (m_stepper ? m_stepper->Done() : 0);
    EXPECT_EQ(m_wizardRuns, 1);
    ASSERT_NE(Connection().GetDevice(), nullptr);
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 12);
    EXPECT_TRUE(m_frame->GetDocument().HasChangeMark());
    EXPECT_TRUE(m_messages.messages.empty());
    // The table shows the series (a value and a detail row each, and the header).
    auto* table = m_frame->findChild<CTabGrid*>();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(WaitFor([table] { return table->Grid()->GetRowCount() == 25; }));
    EXPECT_EQ(m_frame->DeviceFieldText(), "Veltrano VT-20417 on COM43");
    // The firmware check started with the new connection (reporting to the frame).
    EXPECT_TRUE(Connection().HasReminder());
    EXPECT_TRUE(m_frame->Action(Commands::ID_DISCONNECT)->isEnabled());
    EXPECT_TRUE(m_frame->ConnectionUi().KeepAliveTimer()->isActive());
    EXPECT_EQ(m_frame->ConnectionUi().KeepAliveTimer()->interval(), 5000);
    // The wizard's settings are stored as they were left.
    uint32_t value = 0;
    const std::u16string key = CConnWizardSettings::DefaultKey();
    ASSERT_EQ(AppTest::QueryDword(u"ComPort", value, key.c_str()), 0u);
    EXPECT_EQ(value, 43u);
    ASSERT_EQ(AppTest::QueryDword(u"Scan", value, key.c_str()), 0u);
    EXPECT_EQ(value, 0u);

    // Disconnect: on the Device menu and the tool bar, offered only while an
    // instrument is held.
    QAction* disconnect = m_frame->Action(Commands::ID_DISCONNECT);
    bool inDeviceMenu = false;
    for (QAction* popup : m_frame->menuBar()->actions())
        inDeviceMenu = inDeviceMenu || (popup->menu() != nullptr && popup->menu()->actions().contains(disconnect));
    EXPECT_TRUE(inDeviceMenu);
    m_frame->OnCommand(Commands::ID_DISCONNECT);
    EXPECT_EQ(Connection().GetDevice(), nullptr);
    EXPECT_FALSE(m_frame->Action(Commands::ID_DISCONNECT)->isEnabled());
    EXPECT_EQ(m_frame->DeviceFieldText(), Text(ConnectionViewStrings::kNotConnected));
    EXPECT_FALSE(m_frame->ConnectionUi().KeepAliveTimer()->isActive());
}

TEST_F(AppConnection, NothingFoundAsksRetryAndRetryFindsTheInstrument)
{
    StoreWizardPort();
    std::vector<std::u16string> questions;
    AppMessages::SetQuestionSink([&](const std::u16string& text) {
        questions.push_back(text);
        // The instrument is switched on, then Retry.
        Start();
        return AppMessages::answerRetry;
    });
    FinishWizardByKeyboard();
    const SDownloadReport report = Download();
    EXPECT_EQ(report.result, EDownloadResult::Ok);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], LoadString(ConnectionStrings::kNoDeviceRetry));
    EXPECT_NE(questions[0].find(u"IT administrator"), std::u16string::npos);
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 12);
}

TEST_F(AppConnection, CancelStoresTheSettingsAndStatusLinesSayWhyAPortFailed)
{
    // Nothing answers on COM17 (its device file does not exist).
    QString status;
    WorkWizard(
        [](CDevSelectSheet& s) {
            s.findChild<QCheckBox*>("ScanPorts")->setChecked(false);
            s.findChild<QSpinBox*>("ComPort")->setValue(17);
            s.findChild<QCheckBox*>("StopAtFirst")->setChecked(false);
        },
        [&status](CDevSelectSheet& s) {
            if (s.Model().IsSearching() || s.Model().GetStatusLines().empty())
                return false;
            status = s.findChild<QPlainTextEdit*>("SearchStatus")->toPlainText();
            s.reject();
            return true;
        });
    const SDownloadReport report = Download();
    EXPECT_EQ(report.result, EDownloadResult::NotConnected);
    EXPECT_TRUE(status.contains("Serial COM17:\ncould not open port.\nCOM17 was not found on this computer")) << status.toStdString();
    // The Retry question was answered Cancel (the collector's No).
    EXPECT_EQ(m_messages.questions.size(), 1u);

    const std::u16string key = CConnWizardSettings::DefaultKey();
    uint32_t value = 0;
    ASSERT_EQ(AppTest::QueryDword(u"ComPort", value, key.c_str()), 0u);
    EXPECT_EQ(value, 17u);
    ASSERT_EQ(AppTest::QueryDword(u"Scan", value, key.c_str()), 0u);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(AppTest::QueryDword(u"Stop Scan", value, key.c_str()), 0u);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(AppTest::QueryDword(u"DeviceType", value, key.c_str()), 0u);
    EXPECT_EQ(value, 4u);
    EXPECT_EQ(Connection().GetDevice(), nullptr);
}

TEST_F(AppConnection, KeepAliveFindsALostInstrumentAndTheWizardOpensAgain)
{
    StoreWizardPort();
    Start();
    FinishWizardByKeyboard();
    ASSERT_EQ(Download().result, EDownloadResult::Ok);
    ASSERT_NE(Connection().GetDevice(), nullptr);

    // The instrument goes away; the keep-alive notices at its next tick.
    StopSim();
    QTimer* timer = m_frame->ConnectionUi().KeepAliveTimer();
    ASSERT_TRUE(timer->isActive());
    timer->setInterval(20);
    EXPECT_TRUE(WaitFor([this] { return Connection().GetDevice() == nullptr; }));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(m_frame->DeviceFieldText(), Text(ConnectionViewStrings::kConnectionLost));
    // A normal state: no message box, however long it stays lost.
    EXPECT_TRUE(m_messages.messages.empty());
    EXPECT_TRUE(m_messages.questions.empty());

    // Back again: the next download opens the wizard.
    Start();
    FinishWizardByKeyboard();
    ASSERT_EQ(Download().result, EDownloadResult::Ok);
    EXPECT_EQ(m_wizardRuns, 2);
    EXPECT_EQ(m_frame->DeviceFieldText(), "Veltrano VT-20417 on COM43");

    // Gone between two commands, without a keep-alive tick: the download
    // finds it dead and runs the wizard again.
    m_frame->ConnectionUi().KeepAliveTimer()->stop();
    Start();   // a new line: the old one is gone
    FinishWizardByKeyboard();
    m_messages.SetAnswer(AppMessages::answerNo);   // the project is not saved
    ASSERT_EQ(Download().result, EDownloadResult::Ok);
    EXPECT_EQ(m_wizardRuns, 3);
}

TEST_F(AppConnection, CancelledSaveQuestionKeepsTheProjectAndOpensNoWizard)
{
    StoreWizardPort();
    Start();
    FinishWizardByKeyboard();
    ASSERT_EQ(Download().result, EDownloadResult::Ok);
    m_messages.questions.clear();
    m_messages.SetAnswer(AppMessages::answerCancel);
    EXPECT_EQ(Download().result, EDownloadResult::DocumentKept);
    ASSERT_EQ(m_messages.questions.size(), 1u);
    EXPECT_EQ(m_messages.questions[0], u"Would you like to save changes in your Project?");
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 12);
    EXPECT_EQ(m_wizardRuns, 1);
}

TEST_F(AppConnection, InformationBlockOf127BytesEndsSilentlyAndStaysConnected)
{
    StoreWizardPort();
    Start("short-info");
    FinishWizardByKeyboard();
    const SDownloadReport report = Download();
    EXPECT_EQ(report.result, EDownloadResult::NoInfoBlock);
    EXPECT_NE(Connection().GetDevice(), nullptr);
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 0);
    EXPECT_TRUE(m_messages.messages.empty());
    EXPECT_EQ(m_frame->ConnectionUi().ProgressWindow(), nullptr);
}

TEST_F(AppConnection, CannotTransferAndNoSeriesShowTheirMessages)
{
    StoreWizardPort();
    Start("cannot-transfer");
    FinishWizardByKeyboard();
    EXPECT_EQ(Download().result, EDownloadResult::CannotTransfer);
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].icon, SAppMessage::iconWarning);
    EXPECT_EQ(m_messages.messages[0].text,
              LoadString(Device::IDS_CANNOT_TRANSFER) + u"\n" + LoadString(Device::IDS_CANNOT_TRANSFER_HINT));
    EXPECT_EQ(Connection().GetDevice(), nullptr);
    EXPECT_FALSE(m_frame->GetDocument().HasChangeMark());
    EXPECT_FALSE(m_frame->ConnectionUi().KeepAliveTimer()->isActive());

    m_messages.messages.clear();
    Start("no-series");
    FinishWizardByKeyboard();
    EXPECT_EQ(Download().result, EDownloadResult::NoSeries);
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].text, u"There are no measurement series on this Veltrano!");
    EXPECT_NE(Connection().GetDevice(), nullptr);
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 0);
}

TEST_F(AppConnection, DeleteAllAsksAndDeletesOnlyWithYes)
{
    StoreWizardPort();
    Start();
    FinishWizardByKeyboard();
    m_messages.SetAnswer(AppMessages::answerNo);
    m_frame->OnCommand(Commands::ID_DELETE_ALL);
    ASSERT_EQ(m_messages.questions.size(), 1u);
    EXPECT_EQ(m_messages.questions[0], u"Do you really want to delete all series on Veltrano?");
    EXPECT_TRUE(m_messages.messages.empty());
    EXPECT_EQ(m_instrument->GetSeriesCount(), 12u);

    m_messages.SetAnswer(AppMessages::answerYes);
    m_frame->OnCommand(Commands::ID_DELETE_ALL);
    EXPECT_EQ(m_wizardRuns, 1);   // the instrument was still held
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].text, u"Delete all data on Veltrano succeeded.");
    EXPECT_EQ(m_messages.messages[0].icon, SAppMessage::iconInformation);
    EXPECT_EQ(m_instrument->GetSeriesCount(), 0u);

    // Without an instrument (the wizard cancelled) nothing is deleted.
    m_frame->OnCommand(Commands::ID_DISCONNECT);
    m_messages.messages.clear();
    m_onSheet = [this](CDevSelectSheet& sheet) {
        auto stepper = std::make_shared<CStepper>();
        CDevSelectSheet* s = &sheet;
        stepper->Add([s] {
            if (!s->isVisible())
                return false;
            Key(Qt::Key_Escape);
            return true;
        });
        m_stepper = stepper;
        stepper->Start();
    };
    m_frame->OnCommand(Commands::ID_DELETE_ALL);
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].text, u"You are not connected to a Veltrano.\nTherefore no data was deleted.");
}

TEST_F(AppConnection, CancelInTheProgressWindowEndsTheTransferCleanly)
{
    StoreWizardPort();
    // Paced: the series read takes a few seconds.
    Start("", 200, 38400);
    FinishWizardByKeyboard();
    std::vector<int> values;
    QString label;
    auto cancel = std::make_shared<CStepper>();
    cancel->Add([this, &values, &label] {
        QProgressDialog* progress = m_frame->ConnectionUi().ProgressWindow();
        if (progress == nullptr || !progress->isVisible())
            return false;
        values.push_back(progress->value());
        if (progress->value() <= 20)
            return false;
        label = progress->labelText();
        QTest::mouseClick(progress->findChild<QPushButton*>("CancelDownload"), Qt::LeftButton);
        return true;
    });
    cancel->Start();
    const SDownloadReport report = Download();
    EXPECT_TRUE(cancel->Finished());
    EXPECT_EQ(report.result, EDownloadResult::Cancelled);
    // The window started at 5 % and moved with the bytes received.
    ASSERT_FALSE(values.empty());
    EXPECT_GE(values.front(), 5);
    EXPECT_GT(values.back(), 20);
    EXPECT_TRUE(label.contains("bytes received")) << label.toStdString();
    // Dropped, and nothing half-parsed reached the document.
    EXPECT_EQ(Connection().GetDevice(), nullptr);
    EXPECT_EQ(m_frame->GetDocument().GetCount(), 0);
    EXPECT_TRUE(m_messages.messages.empty());
    EXPECT_EQ(m_frame->ConnectionUi().ProgressWindow(), nullptr);
    EXPECT_FALSE(m_frame->ConnectionUi().KeepAliveTimer()->isActive());
}

} // namespace

namespace {

TEST_F(AppConnection, UpgradeLaunchFreesThePortFirst)
{
    StoreWizardPort();
    Start();
    FinishWizardByKeyboard();
    ASSERT_EQ(Download().result, EDownloadResult::Ok);
    ASSERT_NE(Connection().GetDevice(), nullptr);

    // A stand-in upgrade program that tries to take the port's lock, as an
    // upgrade program opening the port would.
    const std::string script = m_dir->folder + "/VnUpgrade";
    const std::string result = m_dir->folder + "/port.txt";
    std::ofstream(script) << "#!/bin/sh\nif flock -n '" << m_sim->GetSlavePath() << "' true; then echo free > '"
                          << result << "'; else echo busy > '" << result << "'; fi\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    m_frame->OnCommand(Commands::ID_UPGRADE);

    std::ifstream in(result);
    std::string state;
    in >> state;
    EXPECT_EQ(state, "free");
    EXPECT_EQ(Connection().GetDevice(), nullptr);
    // Let go on purpose: not a lost connection.
    EXPECT_EQ(m_frame->DeviceFieldText(), Text(ConnectionViewStrings::kNotConnected));
    EXPECT_FALSE(m_frame->ConnectionUi().KeepAliveTimer()->isActive());
}

} // namespace

namespace {

TEST_F(AppConnection, CancelDuringTheSearchStopsItWithoutFreezingTheWindow)
{
    StoreWizardPort();
    // The instrument takes the port but never answers: the search waits for
    // its identification when Cancel comes.
    Start("silence-after=0");
    int ticksDuringCancel = -1;
    qint64 cancelMs = -1;
    WorkWizard({}, [&](CDevSelectSheet& sheet) {
        CDevSelectSheet* s = &sheet;
        if (!s->Model().IsSearching() || s->Model().GetStatusLines().empty())
            return false;
        // A timer keeps running while the search is stopped: the window
        // is not frozen.
        QTimer ticker;
        int ticks = 0;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(5);
        QElapsedTimer clock;
        clock.start();
        Key(Qt::Key_Escape);
        cancelMs = clock.elapsed();
        ticksDuringCancel = ticks;
        return true;
    });
    EXPECT_EQ(Download().result, EDownloadResult::NotConnected);
    EXPECT_GE(cancelMs, 0);
    EXPECT_LT(cancelMs, CConnectionWizard::kAbortWaitMs);
    // A stop that took longer than two of the wait's 20 ms slices let the
    // timer run in between.
    if (cancelMs >= 45) {
        EXPECT_GT(ticksDuringCancel, 0) << cancelMs << " ms";
    }
    EXPECT_TRUE(m_messages.questions.empty());   // no Retry question after Cancel
    EXPECT_EQ(Device::GetQueuedJobCount(), 0u);
}

} // namespace

namespace {

TEST_F(AppConnection, AnInstrumentThatStopsAnsweringIsABadConnection)
{
    StoreWizardPort();
    // It identifies itself to the search, then answers nothing more.
    Start("silence-after=1");
    QString status;
    WorkWizard({}, [&](CDevSelectSheet& sheet) {
        CDevSelectSheet* s = &sheet;
        if (s->Model().IsSearching() || m_messages.questions.empty())
            return false;
        status = s->findChild<QPlainTextEdit*>("SearchStatus")->toPlainText();
        EXPECT_EQ(s->findChild<QComboBox*>("FoundDevices")->count(), 0);
        EXPECT_FALSE(s->button(QWizard::FinishButton)->isEnabled());
        Key(Qt::Key_Escape);
        return true;
    });
    EXPECT_EQ(Download().result, EDownloadResult::NotConnected);
    EXPECT_TRUE(status.endsWith(" Veltrano   Serial: VT-20417\nbad connection!\nFinished device search, no device found."))
        << status.toStdString();
    EXPECT_EQ(m_messages.questions.size(), 1u);   // Retry? answered Cancel
}

} // namespace
