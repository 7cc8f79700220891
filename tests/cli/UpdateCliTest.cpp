// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli update-check, update-download and firmware-check against a
// real FTP server on loopback (and the simulated Veltrano on a COM port).
#include "DeviceCliSupport.h"

#include <sys/stat.h>

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "support/FtpTestServer.h"

using namespace DeviceCliTest;

namespace {

constexpr char16_t kKey[] = u"Software\\Vantor\\Brelmora\\Settings";

class UpdateCommands : public SimulatedVeltrano {
protected:
    void StartServer(const std::string& mode = "normal")
    {
        m_server = std::make_unique<TestEnv::CFtpTestServer>(
            std::string("cli-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), mode);
        ASSERT_TRUE(m_server->Ready()) << m_server->Log();
    }
    void PutInstallers()
    {
        m_server->Put("VnUpgrade/Brelmora/Setup_V_1_8_2_0.exe", "older");
        m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(70000, 'i'));
        m_server->Put("VnUpgrade/Brelmora/Setup_V_2_0_0_0.EXE", "upper-case extension");
        m_server->Put("VnUpgrade/Brelmora/readme.txt", "read me");
    }
    static void SetString(const char16_t* name, const std::u16string& value)
    {
        Platform::CRegKey key;
        ASSERT_EQ(key.Create(kKey), Platform::ERROR_SUCCESS);
        ASSERT_EQ(key.SetString(name, value), Platform::ERROR_SUCCESS);
    }
    static std::u16string GetString(const char16_t* name)
    {
        Platform::CRegKey key;
        std::u16string value;
        if (key.Open(kKey, Platform::CRegKey::Read) == Platform::ERROR_SUCCESS)
            key.QueryString(name, value);
        return value;
    }
    void TearDown() override
    {
        Platform::CRegKey key;
        if (key.Open(kKey) == Platform::ERROR_SUCCESS)
            key.DeleteValue(u"UpdateServer");
        SimulatedVeltrano::TearDown();
    }

    std::unique_ptr<TestEnv::CFtpTestServer> m_server;
};

TEST_F(UpdateCommands, CheckNamesTheNewestInstallerInTextAndJson)
{
    StartServer();
    PutInstallers();
    SRun r = RunCli({"update-check", "--server", m_server->Url()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Found a newer version of Brelmora on the server. \n Server version: 1.9.0 \n Your version: 1.8.1\n"
                     "Installer: Setup_V_1_9_0_0.exe (70000 bytes)\n");
    r = RunCli({"update-check", "--json", "--server", m_server->Url()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"current\":\"1.8.1.0\",\"newest\":\"1.9.0.0\",\"file\":\"Setup_V_1_9_0_0.exe\","
                     "\"size\":70000,\"folder\":\"./VnUpgrade/Brelmora/\"}\n");

    // The setting names the server when --server is not given.
    std::filesystem::remove(m_server->Root() + "/VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe");
    std::filesystem::remove(m_server->Root() + "/VnUpgrade/Brelmora/Setup_V_1_8_2_0.exe");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_8_1_0.exe", "this version");
    SetString(u"UpdateServer", Platform::FromUtf8(m_server->Url()));
    r = RunCli({"update-check", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"current\":\"1.8.1.0\",\"newest\":null,\"file\":null,\"size\":null,"
                     "\"folder\":\"./VnUpgrade/Brelmora/\"}\n");
    r = RunCli({"update-check"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "There is no update available. \nYou are already using the most recent version of Brelmora.\n");
}

TEST_F(UpdateCommands, FailuresExitWithEightAndSayWhatFailed)
{
    SRun r = RunCli({"update-check", "--server", "ftp://127.0.0.1:1"});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(Contains(r.err, "No connection could be made to the download server 127.0.0.1:1. (Error 12029)")) << r.err;
    // Unconfigured: the placeholder is not contacted.
    r = RunCli({"update-check"});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(Contains(r.err, "only a placeholder")) << r.err;
    r = RunCli({"update-check", "--server", "http://127.0.0.1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "is not an FTP server address")) << r.err;

    StartServer();
    m_server->MakeFolder("VnUpgrade");
    r = RunCli({"update-check", "--server", m_server->Url()});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(Contains(r.err, "Directory (./VnUpgrade/Brelmora/) not found on the FTP server!")) << r.err;
}

TEST_F(UpdateCommands, DownloadWritesTheCheckedInstallerOnly)
{
    StartServer();
    PutInstallers();
    const std::string dir = NewFolder("update-download");
    SRun r = RunCli({"update-download", "--to", dir, "--server", m_server->Url()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, dir + "/Setup_V_1_9_0_0.exe\n");
    EXPECT_EQ(ReadAll(dir + "/Setup_V_1_9_0_0.exe"), std::string(70000, 'i'));
    EXPECT_EQ(FolderEntries(dir).size(), 1u);

    // A wrong checksum: exit 8, nothing left.
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe.sha256",
                  std::string(64, '0') + "  Setup_V_1_9_0_0.exe\n");
    const std::string second = NewFolder("update-download-bad");
    r = RunCli({"update-download", "--to", second, "--server", m_server->Url()});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(Contains(r.err, "does not match the checksum")) << r.err;
    EXPECT_TRUE(FolderEntries(second).empty());

    // A folder that cannot be written: exit 3 before the server is asked.
    ASSERT_EQ(::chmod(second.c_str(), 0555), 0);
    r = RunCli({"update-download", "--to", second, "--server", "ftp://127.0.0.1:1"});
    ::chmod(second.c_str(), 0755);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(RunCli({"update-download", "--server", m_server->Url()}).exitCode, 1);
}

TEST_F(UpdateCommands, DownloadOfAShortTransferLeavesNothing)
{
    StartServer("short");
    m_server->Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(90000, 's'));
    const std::string dir = NewFolder("update-download-short");
    const SRun r = RunCli({"update-download", "--to", dir, "--server", m_server->Url()});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(Contains(r.err, "The server sent 45000 of the 90000 bytes")) << r.err;
    EXPECT_TRUE(FolderEntries(dir).empty());
}

#ifdef BRELMORA_HAVE_SIM
TEST_F(UpdateCommands, FirmwareCheckReportsTheInstrumentAndTheNewestPackage)
{
    Start(Sim::SFaults{}, 2, [](Sim::SSimContent& c) {
        c.identity.applicationVersion = "1.4.2.0";
        c.identity.hardwareId = 0x0BADF00D;
    });
    StartServer();
    m_server->Put("VnUpgrade/0badf00d/Veltrano-V1_4_3_1_APP.lod", "new");
    m_server->Put("VnUpgrade/0badf00d/Veltrano-V1_4_2_0_APP.lod", "same");
    SetString(u"FwUpdateFailCount", u"17");
    SRun r = RunCli({"firmware-check", "--port", Port(), "--json", "--server", m_server->Url()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"hardwareId\":\"0badf00d\",\"folder\":\"./VnUpgrade/0badf00d/\",\"installed\":"
                     "[{\"kind\":1,\"version\":\"1.4.2.0\"},{\"kind\":3,\"version\":\"1.3.0.0\"}],"
                     "\"newestFirmware\":\"1.4.3.1\",\"newestOs\":null}\n");
    EXPECT_EQ(GetString(u"FwUpdateFailCount"), u"0");
    EXPECT_EQ(GetString(u"FwUpdateFailCountMax"), u"100");

    r = RunCli({"firmware-check", "--port", Port(), "--server", m_server->Url()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Hardware id: 0badf00d\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "Newest firmware on the server: 1.4.3.1\n")) << r.out;

    // Unreachable at the limit: the reminder on standard error, exit 8.
    SetString(u"FwUpdateFailCount", u"100");
    SetString(u"FwUpdateFailCountMax", u"100");
    r = RunCli({"firmware-check", "--port", Port(), "--server", "ftp://127.0.0.1:1"});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_TRUE(Contains(r.err, "Repeatedly it was not possible to connect the PC to the Internet")) << r.err;
    EXPECT_TRUE(Contains(r.err, "(Error 12029)")) << r.err;
    EXPECT_EQ(GetString(u"FwUpdateFailCount"), u"0");
    EXPECT_EQ(GetString(u"FwUpdateFailCountMax"), u"50");

    // No instrument on the port: exit 4, the counters untouched.
    Stop();
    r = RunCli({"firmware-check", "--port", Port(), "--server", m_server->Url()});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(GetString(u"FwUpdateFailCountMax"), u"50");
}
#endif

} // namespace
