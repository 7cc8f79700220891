// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli update-download against an FTP server on loopback that
// misbehaves: more bytes than listed, a transfer far below any sound rate,
// names that would reprogram the terminal, and downloads ended by a signal.
// Nothing is ever left in the target folder but a complete installer.
#include "DeviceCliSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>

#include "support/FtpTestServer.h"

using namespace DeviceCliTest;

namespace {

class UpdateDownloadSafety : public ::testing::Test {
protected:
    void StartServer(const std::string& mode)
    {
        m_server = std::make_unique<TestEnv::CFtpTestServer>(
            std::string("safety-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), mode);
        ASSERT_TRUE(m_server->Ready()) << m_server->Log();
    }
    void PutInstaller(const std::string& name, const std::string& content)
    {
        m_server->Put("VnUpgrade/Brelmora/" + name, content);
    }
    SRun Download(const std::string& dir) { return RunCli({"update-download", "--to", dir, "--server", m_server->Url()}); }

    std::unique_ptr<TestEnv::CFtpTestServer> m_server;
};

// The temporary name's tag of an installer: FNV-1a of its name.
std::string Tag(const std::string& installer)
{
    uint32_t hash = 2166136261u;
    for (const unsigned char c : installer) {
        hash ^= c;
        hash *= 16777619u;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", hash);
    return buf;
}

// The SHA-256 of `content` in hex, by the system's sha256sum.
std::string Sha256Of(const std::string& content)
{
    const std::string file = TestEnv::TempDir() + "/sha-input";
    std::ofstream(file, std::ios::binary) << content;
    FILE* p = popen(("sha256sum '" + file + "'").c_str(), "r");
    char hex[65] = {};
    if (p != nullptr) {
        if (std::fread(hex, 1, 64, p) != 64)
            hex[0] = '\0';
        pclose(p);
    }
    return hex;
}

} // namespace

TEST_F(UpdateDownloadSafety, MoreBytesThanListedFailWithOrWithoutAChecksum)
{
    StartServer("long");
    const std::string installer(1 << 20, 'L');
    PutInstaller("Setup_V_1_9_0_0.exe", installer);
    const std::string dir = NewFolder("update-long");
    SRun r = Download(dir);
    EXPECT_EQ(r.exitCode, 8) << r.err;
    EXPECT_TRUE(Contains(r.err, "Setup_V_1_9_0_0.exe")) << r.err;
    EXPECT_TRUE(FolderEntries(dir).empty());

    // A checksum of the listed bytes does not make the surplus acceptable.
    const std::string hash = Sha256Of(installer);
    ASSERT_EQ(hash.size(), 64u);
    PutInstaller("Setup_V_1_9_0_0.exe.sha256", hash + "  Setup_V_1_9_0_0.exe\n");
    r = Download(dir);
    EXPECT_EQ(r.exitCode, 8) << r.err;
    EXPECT_TRUE(FolderEntries(dir).empty());
}

TEST_F(UpdateDownloadSafety, ATransferBelowATenthOfTheMinimumRateEndsWith22018)
{
    StartServer("crawl");
    PutInstaller("Setup_V_1_9_0_0.exe", std::string(20000, 'c'));
    const std::string dir = NewFolder("update-crawl");
    const SRun r = Download(dir);
    EXPECT_EQ(r.exitCode, 8) << r.err;
    EXPECT_TRUE(Contains(r.err, "Unknown error while downloading.")) << r.err;
    EXPECT_TRUE(Contains(r.err, "was too slow: less than 1024 bytes a second over 10 seconds")) << r.err;
    // One window of 10 s, then the end: not the 100 s the file would take.
    EXPECT_LT(r.ms, 30000);
    EXPECT_TRUE(FolderEntries(dir).empty());
}

TEST_F(UpdateDownloadSafety, NamesFromTheServerAreEscapedAndReadOnlyInstallersReported)
{
    StartServer("normal");
    const std::string name = "Setup\xE2\x80\xAE" "exe.txt\xC2\x9B" "_V_1_9_0_0.exe";
    PutInstaller(name, "payload");
    const SRun check = RunCli({"update-check", "--server", m_server->Url()});
    ASSERT_EQ(check.exitCode, 0) << check.err;
    EXPECT_FALSE(Contains(check.out, "\xE2\x80\xAE")) << check.out;
    EXPECT_FALSE(Contains(check.out, "\xC2\x9B")) << check.out;
    EXPECT_TRUE(Contains(check.out, "Setup\\u202eexe.txt\\x9b_V_1_9_0_0.exe")) << check.out;

    const std::string dir = NewFolder("update-names");
    const SRun r = Download(dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(Contains(r.out, "\xE2\x80\xAE")) << r.out;
    EXPECT_EQ(ReadAll(dir + "/" + name), "payload");

    // The same installer again, now read-only: reported, left as it is.
    ASSERT_EQ(::chmod((dir + "/" + name).c_str(), 0444), 0);
    m_server->Put("VnUpgrade/Brelmora/" + name, "newer payload");
    const SRun again = Download(dir);
    EXPECT_EQ(again.exitCode, 3) << again.err;
    EXPECT_TRUE(Contains(again.err, "cannot be written")) << again.err;
    EXPECT_FALSE(Contains(again.err, "\xE2\x80\xAE")) << again.err;
    EXPECT_EQ(ReadAll(dir + "/" + name), "payload");
    EXPECT_EQ(FolderEntries(dir).size(), 1u);
}

TEST_F(UpdateDownloadSafety, LongNamesAndStaleTemporariesOfTheSameInstaller)
{
    StartServer("normal");
    // 245 bytes: the name itself fits the file system, a long suffix would not.
    const std::string name = std::string(231, 'n') + "_V_1_9_0_0.exe";
    ASSERT_EQ(name.size(), 245u);
    PutInstaller(name, "long-named installer");
    const std::string dir = NewFolder("update-long-name");
    SRun r = Download(dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(dir + "/" + name), "long-named installer");
    EXPECT_EQ(FolderEntries(dir).size(), 1u);

    // Left by downloads that were killed: the long form of older versions
    // and a short one of a process that is gone; another installer's stays.
    PutInstaller("Setup_V_2_0_0_0.exe", "installer");
    const std::string stale = NewFolder("update-stale");
    const std::string other = ".dl-" + Tag("other.exe") + "-999999999-XyZ789";
    std::ofstream(stale + "/Setup_V_2_0_0_0.exe.download-AbC123") << "old";
    std::ofstream(stale + "/.dl-" + Tag("Setup_V_2_0_0_0.exe") + "-999999999-XyZ789") << "dead";
    std::ofstream(stale + "/" + other) << "someone else's";
    r = Download(stale);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(stale + "/Setup_V_2_0_0_0.exe"), "installer");
    const std::vector<std::string> entries = FolderEntries(stale);
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_TRUE(std::find(entries.begin(), entries.end(), other) != entries.end());
}

TEST_F(UpdateDownloadSafety, ASignalDuringTheDownloadLeavesNoTemporary)
{
    StartServer("slow");
    PutInstaller("Setup_V_1_9_0_0.exe", std::string(8 << 20, 's'));   // about 30 s at 256 KiB/s
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        const std::string dir = NewFolder("update-signal-" + std::to_string(sig));
        const std::string program = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli";
        const std::string url = m_server->Url();
        std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("update-download"),
                                   const_cast<char*>("--to"), const_cast<char*>(dir.c_str()),
                                   const_cast<char*>("--server"), const_cast<char*>(url.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // The signals as a terminal delivers them, whatever this test inherited.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        // Wait until the temporary holds bytes, then end the program.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool growing = false;
        while (!growing && std::chrono::steady_clock::now() < deadline) {
            for (const std::string& entry : FolderEntries(dir)) {
                struct stat st {};
                growing = growing || (::stat((dir + "/" + entry).c_str(), &st) == 0 && st.st_size > 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_TRUE(growing);
        ::kill(pid, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_TRUE(FolderEntries(dir).empty());
    }
}
