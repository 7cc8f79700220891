// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware check: the package-name rule, the reminder counters, and the
// whole check against the simulated Veltrano on a pseudo-terminal (mapped
// as a COM port) and a real FTP server on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "connection/FirmwareCheck.h"
#include "connection/FirmwareCounters.h"
#include "connection/PackageName.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "support/FtpTestServer.h"
#include "update/UpdateServer.h"

#ifdef BRELMORA_HAVE_SIM
#include "sim/VeltranoSimulator.h"
#include "support/SimulatedPort.h"
#endif

using Connection::PackageVersion;
using Connection::SFirmwareCounters;

namespace {

using Clock = std::chrono::steady_clock;
constexpr char16_t kKey[] = u"Software\\Vantor\\Brelmora\\Settings";

TEST(PackageName, VersionsForEachKindAndTag)
{
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_APP.lod", 1), CVersion(1, 4, 0, 2));
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_APP.lod", 2), CVersion());
    EXPECT_EQ(PackageVersion(u"Unit-V1.4.0.2.lod", 1), CVersion(1, 4, 0, 2));
    EXPECT_EQ(PackageVersion(u"Unit-V1.4.0.2.lod", 2), CVersion(1, 4, 0, 2));
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_OS.lod", 1), CVersion());
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_OS.lod", 2), CVersion(1, 4, 0, 2));
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_FW.lod", 1), CVersion(1, 4, 0, 2));
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2.FW.lod", 1), CVersion(1, 4, 0, 2));
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_APP.LOD", 1), CVersion());
    EXPECT_EQ(PackageVersion(u"Unit_1_4_0_2.lod", 1), CVersion());
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_BETA.lod", 1), CVersion());
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_0_2_APPlod", 1), CVersion());
    EXPECT_EQ(PackageVersion(u"Unit-V1_4_99999_2.lod", 1), CVersion());
    EXPECT_EQ(PackageVersion(u"lod", 1), CVersion());
    // Only the first "-V" counts.
    EXPECT_EQ(PackageVersion(u"A-Vx-V1_0_0_0.lod", 1), CVersion());
}

TEST(FirmwareCounters, ReminderSequenceAndStoredForm)
{
    SFirmwareCounters c;
    c.count = 100;
    c.limit = 100;
    EXPECT_TRUE(c.Failed());
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(c.limit, 50);
    // Failures in a row between reminders, and the limit after each.
    std::vector<int> limits;
    std::vector<int> failures;
    for (int reminders = 0; reminders < 7; ++reminders) {
        int n = 0;
        do
            ++n;
        while (!c.Failed());
        failures.push_back(n);
        limits.push_back(c.limit);
    }
    EXPECT_EQ(limits, (std::vector<int>{25, 12, 6, 10, 5, 10, 5}));
    EXPECT_EQ(failures, (std::vector<int>{51, 26, 13, 7, 11, 6, 11}));

    Platform::CRegKey key;
    ASSERT_EQ(key.Create(kKey), Platform::ERROR_SUCCESS);
    key.DeleteValue(u"FwUpdateFailCount");
    key.DeleteValue(u"FwUpdateFailCountMax");
    SFirmwareCounters read = SFirmwareCounters::Read(kKey);
    EXPECT_EQ(read.count, 0);
    EXPECT_EQ(read.limit, 100);
    c.count = 7;
    c.limit = 12;
    ASSERT_TRUE(c.Write(kKey));
    std::u16string text;
    ASSERT_EQ(key.QueryString(u"FwUpdateFailCount", text), Platform::ERROR_SUCCESS);
    EXPECT_EQ(text, u"7");
    ASSERT_EQ(key.QueryString(u"FwUpdateFailCountMax", text), Platform::ERROR_SUCCESS);
    EXPECT_EQ(text, u"12");
    read = SFirmwareCounters::Read(kKey);
    EXPECT_EQ(read.count, 7);
    EXPECT_EQ(read.limit, 12);
    // A limit that is not REG_SZ, or no number, reads as 100.
    ASSERT_EQ(key.SetDword(u"FwUpdateFailCountMax", 3), Platform::ERROR_SUCCESS);
    EXPECT_EQ(SFirmwareCounters::Read(kKey).limit, 100);
    ASSERT_EQ(key.SetString(u"FwUpdateFailCountMax", u"many"), Platform::ERROR_SUCCESS);
    EXPECT_EQ(SFirmwareCounters::Read(kKey).limit, 100);
    ASSERT_EQ(key.SetString(u"FwUpdateFailCountMax", u"0"), Platform::ERROR_SUCCESS);
    EXPECT_EQ(SFirmwareCounters::Read(kKey).limit, 100);
}

#ifdef BRELMORA_HAVE_SIM

// What the check reports, from its thread.
class CRecordingReport : public IFirmwareReport {
public:
    void OnVersionFound(uint32_t messageId, uint64_t packed) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        versions.emplace_back(messageId, packed);
        m_changed.notify_all();
    }
    void OnReminder(const std::u16string& text) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        reminders.push_back(text);
        m_changed.notify_all();
    }
    bool WaitForVersions(size_t count, int ms)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return versions.size() >= count; });
    }

    std::vector<std::pair<uint32_t, uint64_t>> versions;
    std::vector<std::u16string> reminders;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

class FirmwareCheck : public ::testing::Test {
protected:
    static constexpr uint32_t kPort = 43;

    void SetUp() override
    {
        Sim::SSimContent content;
        content.identity.applicationVersion = "1.4.2.0";
        content.identity.hardwareId = 0x0BADF00D;
        auto instrument = std::make_shared<Sim::CInstrument>(content);
        std::string error;
        m_sim = TestEnv::ServeOnComPort(kPort, instrument, {}, error);
        ASSERT_TRUE(m_sim) << error;
        m_device = std::make_unique<Device::CVeltranoDevice>();
        std::unique_ptr<StreamIO::CIoStream> stream = StreamIO::OpenStream(
            Platform::Format("COM%u:", kPort), StreamIO::SF_READ | StreamIO::SF_WRITE, &m_device->GetSerialSettings());
        ASSERT_TRUE(stream);
        ASSERT_TRUE(m_device->Attach(stream, Device::PORT_SERIAL));
        SetCounters(u"0", u"100");
    }

    void TearDown() override
    {
        m_device.reset();
        TestEnv::StopComPortSimulator(kPort, m_sim);
    }

    static void SetCounters(const std::u16string& count, const std::u16string& limit)
    {
        Platform::CRegKey key;
        ASSERT_EQ(key.Create(kKey), Platform::ERROR_SUCCESS);
        key.SetString(u"FwUpdateFailCount", count);
        key.SetString(u"FwUpdateFailCountMax", limit);
    }

    void StartServer(const std::string& mode = "normal")
    {
        m_server = std::make_unique<TestEnv::CFtpTestServer>(
            std::string("fw-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), mode);
        ASSERT_TRUE(m_server->Ready()) << m_server->Log();
    }

    std::unique_ptr<CFirmwareCheck> MakeCheck(const Update::SFtpServer& server)
    {
        auto check = std::make_unique<CFirmwareCheck>(&m_report, Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0"),
                                                      server);
        Update::SFtpTimeouts t;
        t.connectMs = 2000;
        t.responseMs = 1000;
        t.stallMs = 2000;
        check->SetTimeouts(t);
        return check;
    }

    Update::SFtpServer Server() const { return Update::ParseFtpServer(Platform::FromUtf8(m_server->Url())); }

    std::unique_ptr<Sim::CVeltranoSimulator> m_sim;
    std::unique_ptr<Device::CVeltranoDevice> m_device;
    std::unique_ptr<TestEnv::CFtpTestServer> m_server;
    CRecordingReport m_report;
};

TEST_F(FirmwareCheck, FindsTheNewestFirmwareOfTheInstrumentsFolder)
{
    StartServer();
    const std::string folder = "VnUpgrade/0badf00d/";
    m_server->Put(folder + "Veltrano-V1_4_2_0_APP.lod", "same as installed");
    m_server->Put(folder + "Veltrano-V1_4_3_1_APP.lod", "newer");
    m_server->Put(folder + "Veltrano-V1_4_2_5.lod", "newer, listed after the newest");
    m_server->Put(folder + "Veltrano-V9_0_0_0_OS.lod", "an operating system");
    m_server->Put(folder + "Veltrano-V9_9_9_9_APP.LOD", "wrong case");
    m_server->Put(folder + "notes.txt", "not a package");
    SetCounters(u"42", u"50");
    auto check = MakeCheck(Server());
    ASSERT_TRUE(check->StartFirmwareCheck(*m_device, 1042, 0));
    EXPECT_EQ(check->GetSubFolder(), u"0badf00d");
    EXPECT_EQ(check->GetFolder(), u"./VnUpgrade/0badf00d/");
    ASSERT_TRUE(m_report.WaitForVersions(1, 20000));
    check->Stop();
    ASSERT_EQ(m_report.versions.size(), 1u);
    EXPECT_EQ(m_report.versions[0].first, 1042u);
    EXPECT_EQ(CVersion(m_report.versions[0].second), CVersion(1, 4, 3, 1));
    EXPECT_TRUE(m_report.reminders.empty());
    const SFirmwareCounters stored = SFirmwareCounters::Read(kKey);
    EXPECT_EQ(stored.count, 0);
    EXPECT_EQ(stored.limit, 100);
    // Installed: the application and the bootloader of the identification.
    ASSERT_EQ(check->GetInstalled().GetCount(), 2u);
    EXPECT_EQ(check->GetInstalled().GetEntry(0).kind, 1);
    EXPECT_EQ(check->GetInstalled().GetEntry(0).version, CVersion(1, 4, 2, 0));
}

TEST_F(FirmwareCheck, NothingNewerOrNoPackageGivesZeroAndResetsTheCounters)
{
    StartServer();
    m_server->Put("VnUpgrade/0badf00d/Veltrano-V1_4_2_0_APP.lod", "same as installed");
    SetCounters(u"99", u"12");
    auto check = MakeCheck(Server());
    ASSERT_TRUE(check->ReadDevice(*m_device));
    SFirmwareCheckResult r = check->RunCheck();
    EXPECT_TRUE(r.reachedServer);
    EXPECT_FALSE(r.newestFirmware.IsValid());
    EXPECT_EQ(SFirmwareCounters::Read(kKey).limit, 100);
    EXPECT_EQ(SFirmwareCounters::Read(kKey).count, 0);

    // A server without a folder for this hardware was reached all the same.
    std::filesystem::remove_all(m_server->Root() + "/VnUpgrade/0badf00d");
    SetCounters(u"99", u"12");
    r = check->RunCheck();
    EXPECT_TRUE(r.reachedServer);
    EXPECT_TRUE(r.folderMissing);
    EXPECT_EQ(SFirmwareCounters::Read(kKey).count, 0);
    EXPECT_TRUE(m_report.reminders.empty());
}

TEST_F(FirmwareCheck, UnreachableServerCountsAndRemindsPastTheLimit)
{
    SetCounters(u"5", u"100");
    auto check = MakeCheck(Update::ParseFtpServer(u"ftp://127.0.0.1:1"));
    ASSERT_TRUE(check->ReadDevice(*m_device));
    SFirmwareCheckResult r = check->RunCheck();
    EXPECT_FALSE(r.reachedServer);
    EXPECT_FALSE(r.reminderDue);
    EXPECT_EQ(SFirmwareCounters::Read(kKey).count, 6);

    SetCounters(u"100", u"100");
    r = check->RunCheck();
    EXPECT_TRUE(r.reminderDue);
    ASSERT_EQ(m_report.reminders.size(), 1u);
    EXPECT_EQ(Platform::ToUtf8(m_report.reminders[0]).rfind(
                  "Repeatedly it was not possible to connect the PC to the Internet to check for newer firmware "
                  "or OS for the Veltrano device.\n",
                  0),
              0u);
    const SFirmwareCounters stored = SFirmwareCounters::Read(kKey);
    EXPECT_EQ(stored.count, 0);
    EXPECT_EQ(stored.limit, 50);
    EXPECT_TRUE(m_report.versions.empty());
}

TEST_F(FirmwareCheck, InstrumentThatDoesNotAnswerStartsNoCheck)
{
    m_sim->Stop();
    auto check = MakeCheck(Update::ParseFtpServer(u"ftp://127.0.0.1:1"));
    EXPECT_FALSE(check->StartFirmwareCheck(*m_device, 1042, 0));
    EXPECT_EQ(SFirmwareCounters::Read(kKey).count, 0);
}

TEST_F(FirmwareCheck, CheckHangingOnASilentServerEndsAtOnce)
{
    StartServer("silent");
    SetCounters(u"3", u"100");
    auto check = std::make_unique<CFirmwareCheck>(
        &m_report, Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0"), Server());
    ASSERT_TRUE(check->StartFirmwareCheck(*m_device, 1042, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    check.reset();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 1000);
    // A cancelled check is no failed one.
    EXPECT_EQ(SFirmwareCounters::Read(kKey).count, 3);
    EXPECT_TRUE(m_report.versions.empty());
}

#endif // BRELMORA_HAVE_SIM

} // namespace
