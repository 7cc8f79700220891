// SPDX-License-Identifier: GPL-3.0-or-later
// The connection driver against the simulated Veltrano on a pseudo-terminal:
// the download and its outcomes, the lost instrument, the wizard's settings,
// deleting all series and cancelling the series read.
#ifdef BRELMORA_HAVE_SIM

#include "ConnectionTestSupport.h"

#include "connection/PaperConnection.h"
#include "data/PaperDoc.h"
#include "device/VeltranoDevice.h"
#include "platform/Registry.h"
#include "sim/SimContent.h"
#include "streamio/IoStream.h"

using namespace ConnectionTest;

namespace {

// Records what the driver does with its reminder.
struct SReminderLog {
    int made = 0;
    int started = 0;
    int deleted = 0;
    IFirmwareReport* report = nullptr;
    uint32_t value1 = 0, value2 = 0;
    std::u16string serial;
};

class CLoggedReminder : public IFirmwareReminder {
public:
    explicit CLoggedReminder(SReminderLog& log) : m_log(log) {}
    ~CLoggedReminder() override { ++m_log.deleted; }
    bool StartFirmwareCheck(Device::CVnDevice& device, uint32_t value1, uint32_t value2) override
    {
        ++m_log.started;
        m_log.value1 = value1;
        m_log.value2 = value2;
        m_log.serial = device.GetSerialNumber();
        return true;
    }

private:
    SReminderLog& m_log;
};

class CNoReport : public IFirmwareReport {
public:
    void OnVersionFound(uint32_t, uint64_t) override {}
    void OnReminder(const std::u16string&) override {}
};

class PaperConnection : public SimulatedLine {
protected:
    void SetUp() override
    {
        StreamIO::Initialize();
        Platform::CRegKey key;
        key.Open(u"Software\\Vantor\\VnUpgrade\\Settings");
        key.RecurseDeleteKey(u"ConnWizard");
    }
    void TearDown() override
    {
        SimulatedLine::TearDown();
        StreamIO::Shutdown();
    }
};

uint32_t StoredDword(const char16_t* name)
{
    Platform::CRegKey key;
    uint32_t value = 0xDEADBEEF;
    if (key.Open(CConnWizardSettings::DefaultKey(), Platform::CRegKey::Read) == 0)
        key.QueryDword(name, value);
    return value;
}

} // namespace

TEST_F(PaperConnection, DownloadFillsBothCollectionsShowsTheBytesAndStartsTheKeepAlive)
{
    Start();
    CScriptedUi ui;
    CPaperConnection connection(ui);
    SReminderLog reminders;
    CNoReport report;
    connection.SetReminderContext(&report, 1042, 7);
    connection.SetReminderFactory([&reminders](IFirmwareReport* to) -> std::unique_ptr<IFirmwareReminder> {
        ++reminders.made;
        reminders.report = to;
        return std::make_unique<CLoggedReminder>(reminders);
    });
    CPaperDoc doc;

    const SDownloadReport r = connection.DownloadSeries(doc);
    ASSERT_EQ(r.result, EDownloadResult::Ok);
    EXPECT_TRUE(r.parsedWhole);
    EXPECT_EQ(doc.GetOriginal().GetCount(), 12);
    EXPECT_EQ(doc.GetCurrent().GetCount(), 12);
    EXPECT_TRUE(doc.HasChangeMark());
    EXPECT_TRUE(ui.prompt.messages.empty());
    EXPECT_TRUE(ui.keepAlive);
    EXPECT_EQ(ui.caption, u"Select and connect the device");

    // The progress window: 5 % first, then the bytes of the announced
    // length, 100 % at the end, hidden again.
    ASSERT_GE(ui.progress.size(), 3u);
    EXPECT_EQ(ui.progress.front().percent, 5);
    const auto& last = ui.progress.back();
    EXPECT_EQ(last.percent, 100);
    EXPECT_EQ(last.received, last.total);
    EXPECT_GE(last.total, Sim::BuildSeriesBytes(instrument->GetContent().series).size());
    EXPECT_FALSE(ui.progressVisible);

    // The wizard got the loaded settings with the driver's two overrides;
    // what it chose is stored.
    EXPECT_EQ(ui.wizardSettings.deviceType, Device::TYPE_VELTRANO);
    EXPECT_FALSE(ui.wizardSettings.express);
    EXPECT_EQ(StoredDword(u"ComPort"), static_cast<uint32_t>(kPort));
    EXPECT_EQ(StoredDword(u"DeviceType"), 4u);
    EXPECT_EQ(StoredDword(u"Express"), 0u);
    EXPECT_EQ(StoredDword(u"Scan"), 0u);

    // The reminder: made once for the context, started with the device.
    EXPECT_EQ(reminders.made, 1);
    EXPECT_EQ(reminders.report, &report);
    EXPECT_EQ(reminders.started, 1);
    EXPECT_EQ(reminders.value1, 1042u);
    EXPECT_EQ(reminders.value2, 7u);
    EXPECT_EQ(reminders.serial, u"VT-20417");

    // The keep-alive finds the instrument; Disconnect ends everything.
    connection.OnKeepAliveTimer();
    EXPECT_NE(connection.GetDevice(), nullptr);
    connection.Disconnect();
    EXPECT_EQ(connection.GetDevice(), nullptr);
    EXPECT_FALSE(connection.HasReminder());
    EXPECT_EQ(reminders.deleted, 1);
    EXPECT_FALSE(ui.keepAlive);
}

TEST_F(PaperConnection, AShortInformationBlockEmptiesTheDocumentKeepsTheConnectionAndShowsNothing)
{
    Start("short-info");
    CScriptedUi ui;
    ui.prompt.otherwise = IPrompt::answerNo;   // do not save the old project
    CPaperConnection connection(ui);
    CPaperDoc doc;
    const std::vector<uint8_t> old = Sim::BuildSeriesBytes(Sim::GenerateSeries(3, 5));
    std::vector<uint8_t> info(128, 0);
    doc.StoreDownloadedInfo(info.data(), info.size());
    doc.StoreDownloadedSeries(old.data(), old.size());
    ASSERT_EQ(doc.GetCurrent().GetCount(), 3);

    const SDownloadReport r = connection.DownloadSeries(doc);
    EXPECT_EQ(r.result, EDownloadResult::NoInfoBlock);
    EXPECT_EQ(doc.GetCurrent().GetCount(), 0);
    EXPECT_EQ(doc.GetOriginal().GetCount(), 0);
    EXPECT_NE(connection.GetDevice(), nullptr);
    EXPECT_TRUE(ui.prompt.messages.empty());
    EXPECT_EQ(ui.progressShown, 0);
    EXPECT_FALSE(ui.keepAlive);
}

TEST_F(PaperConnection, ALostInstrumentIsFoundDeadAtTheNextConnectAndTheWizardRunsAgain)
{
    Start();
    CScriptedUi ui;
    CPaperConnection connection(ui);
    ASSERT_TRUE(connection.Connect(false));
    EXPECT_EQ(ui.wizardRuns, 1);
    EXPECT_TRUE(connection.Connect(false));   // still answers: no wizard
    EXPECT_EQ(ui.wizardRuns, 1);

    StopSim();
    EXPECT_TRUE(connection.Connect(true));    // kept without asking it
    EXPECT_FALSE(connection.Connect(false));
    EXPECT_EQ(ui.wizardRuns, 2);
    EXPECT_EQ(connection.GetDevice(), nullptr);

    // The keep-alive notices it too and stops its timer.
    Start();
    CPaperDoc doc;
    ASSERT_EQ(connection.DownloadSeries(doc).result, EDownloadResult::Ok);
    ASSERT_TRUE(ui.keepAlive);
    StopSim();
    connection.OnKeepAliveTimer();
    EXPECT_EQ(connection.GetDevice(), nullptr);
    EXPECT_FALSE(ui.keepAlive);
}

TEST_F(PaperConnection, CancellingTheWizardStillStoresItsSettings)
{
    CScriptedUi ui;
    ui.wizard = [](CConnWizardSettings& settings) -> std::unique_ptr<Device::CVnDevice> {
        settings.comPort = 12;
        settings.scanAll = false;
        settings.stopAtFirst = true;
        settings.portKind = Device::PORT_SERIAL;
        settings.ipAddress = u"192.168.1.20";
        return nullptr;
    };
    CPaperConnection connection(ui);
    EXPECT_FALSE(connection.Connect(false));
    EXPECT_EQ(StoredDword(u"ComPort"), 12u);
    EXPECT_EQ(StoredDword(u"Scan"), 0u);
    EXPECT_EQ(StoredDword(u"Stop Scan"), 1u);
    EXPECT_EQ(StoredDword(u"CommPort"), 1u);
    EXPECT_EQ(StoredDword(u"DeviceType"), 4u);
    EXPECT_EQ(StoredDword(u"Express"), 0u);

    // The next run starts from them.
    EXPECT_FALSE(connection.Connect(false));
    EXPECT_EQ(ui.wizardSettings.comPort, 12u);
    EXPECT_EQ(ui.wizardSettings.ipAddress, u"192.168.1.20");
    EXPECT_FALSE(ui.wizardSettings.scanAll);

    // Not connected: nothing is deleted, and the user is told.
    EXPECT_EQ(connection.DeleteAllSeries(), EDeleteResult::NotConnected);
    ASSERT_EQ(ui.prompt.messages.size(), 1u);
    EXPECT_EQ(ui.prompt.messages[0].text, u"You are not connected to a Veltrano.\nTherefore no data was deleted.");
}

TEST_F(PaperConnection, AnInstrumentThatCannotTransferOrHoldsNoSeries)
{
    Start("cannot-transfer");
    CScriptedUi ui;
    CPaperConnection connection(ui);
    CPaperDoc doc;
    EXPECT_EQ(connection.DownloadSeries(doc).result, EDownloadResult::CannotTransfer);
    ASSERT_EQ(ui.prompt.messages.size(), 1u);
    EXPECT_EQ(ui.prompt.messages[0].text.rfind(u"This Veltrano does not support downloading data.\n", 0), 0u);
    EXPECT_EQ(connection.GetDevice(), nullptr);
    EXPECT_FALSE(doc.HasChangeMark());   // the information block alone is no download
    EXPECT_FALSE(ui.keepAlive);

    Start("no-series");
    ui.prompt.messages.clear();
    EXPECT_EQ(connection.DownloadSeries(doc).result, EDownloadResult::NoSeries);
    ASSERT_EQ(ui.prompt.messages.size(), 1u);
    EXPECT_EQ(ui.prompt.messages[0].text, u"There are no measurement series on this Veltrano!");
    EXPECT_NE(connection.GetDevice(), nullptr);
    EXPECT_EQ(doc.GetCurrent().GetCount(), 0);
}

TEST_F(PaperConnection, DeleteAllAsksFirst)
{
    Start();
    CScriptedUi ui;
    CPaperConnection connection(ui);
    ui.prompt.answers = {IPrompt::answerNo};
    EXPECT_EQ(connection.DeleteAllSeries(), EDeleteResult::NotConfirmed);
    ASSERT_EQ(ui.prompt.questions.size(), 1u);
    EXPECT_EQ(ui.prompt.questions[0].kind, IPrompt::questionYesNoCancel);
    EXPECT_EQ(ui.prompt.questions[0].text, u"Do you really want to delete all series on Veltrano?");
    EXPECT_EQ(instrument->GetSeriesCount(), 12u);
    EXPECT_TRUE(ui.prompt.messages.empty());

    ui.prompt.answers = {IPrompt::answerYes};
    EXPECT_EQ(connection.DeleteAllSeries(), EDeleteResult::Deleted);
    EXPECT_EQ(instrument->GetSeriesCount(), 0u);
    ASSERT_EQ(ui.prompt.messages.size(), 1u);
    EXPECT_EQ(ui.prompt.messages[0].text, u"Delete all data on Veltrano succeeded.");
    EXPECT_EQ(ui.wizardRuns, 1);
}

TEST_F(PaperConnection, CancellingTheSeriesReadDropsTheConnectionAndKeepsTheSeriesOut)
{
    // 40 series at 38,400 baud take several seconds: long enough to cancel
    // in the middle.
    Start("", 40, {}, 38400);
    CScriptedUi ui;
    ui.cancelWhen = [](CScriptedUi& self) { return !self.progress.empty() && self.progress.back().received > 0; };
    CPaperConnection connection(ui);
    CPaperDoc doc;
    const auto started = std::chrono::steady_clock::now();
    const SDownloadReport r = connection.DownloadSeries(doc);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(r.result, EDownloadResult::Cancelled);
    EXPECT_EQ(r.failure, Device::ELinkFailure::Cancelled);
    EXPECT_EQ(connection.GetDevice(), nullptr);
    EXPECT_EQ(doc.GetCurrent().GetCount(), 0);
    EXPECT_EQ(doc.GetOriginal().GetCount(), 0);
    EXPECT_TRUE(ui.prompt.messages.empty());
    EXPECT_FALSE(ui.keepAlive);
    EXPECT_FALSE(ui.progressVisible);
    EXPECT_LT(ui.progress.back().received, ui.progress.back().total);
    EXPECT_LT(ms, 5000);   // not the whole transfer
}

#endif // BRELMORA_HAVE_SIM
