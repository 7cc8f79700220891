// SPDX-License-Identifier: GPL-3.0-or-later
// The installer download against a real FTP server on loopback: complete
// downloads, servers that send less or lie about the checksum, a folder
// that cannot be written and a cancelled transfer.  A failed download
// never leaves a file behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>

#include "UpdateTestSupport.h"
#include "update/InstallerDownload.h"
#include "update/Sha256.h"
#include "update/UpdateCheck.h"

using namespace Update;
using namespace UpdateTest;

namespace {

class InstallerDownload : public CServerTest {
protected:
    // Puts the installer (and, when given, its checksum file) on the server,
    // connects and chooses it.
    void Offer(const std::string& content, const std::string& checksumFile = std::string(),
               const std::string& mode = "normal")
    {
        StartServer(mode);
        m_content = content;
        m_server->Put(std::string(kFolder) + "Setup_V_1_9_0_0.exe", content);
        if (!checksumFile.empty())
            m_server->Put(std::string(kFolder) + "Setup_V_1_9_0_0.exe.sha256", checksumFile);
        m_link = std::make_unique<CFtpLink>(Server());
        m_link->SetShowErrors(false);
        m_link->SetTimeouts(ShortTimeouts());
        ASSERT_TRUE(ConnectForUpdate(*m_link, Program181())) << Platform::ToUtf8(m_link->GetErrorText());
        ASSERT_TRUE(SearchInstaller(*m_link, Program181(), m_choice));
        ASSERT_TRUE(m_choice.found);
        m_folder = NewFolder(std::string("dl-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_target = m_folder + "/Setup_V_1_9_0_0.exe";
    }

    CInstallerDownload::EStep RunToEnd(CInstallerDownload& download, int maxSteps = 1000000)
    {
        CInstallerDownload::EStep step = CInstallerDownload::stepRunning;
        for (int i = 0; i < maxSteps && step == CInstallerDownload::stepRunning; ++i)
            step = download.Step(50);
        return step;
    }

    static std::string Hash(const std::string& content)
    {
        CSha256 h;
        h.Add(reinterpret_cast<const uint8_t*>(content.data()), content.size());
        return h.FinishHex();
    }

    std::string m_content;
    std::unique_ptr<CFtpLink> m_link;
    SInstallerChoice m_choice;
    std::string m_folder;
    std::string m_target;
};

TEST_F(InstallerDownload, TwentyFiveMegabytesEndAtTheFullSizeAndMatchTheirChecksum)
{
    const std::string content = Bytes(25u << 20, 7);
    Offer(content, Hash(content) + "  Setup_V_1_9_0_0.exe\n");
    ASSERT_TRUE(m_choice.hasChecksum);
    CInstallerDownload download(*m_link, m_choice);
    EXPECT_EQ(download.ChunkSize(), (25u << 20) / 10000 < 4096 ? 4096u : (25u << 20) / 10000);
    ASSERT_TRUE(download.CreateLocal(Platform::FromUtf8(m_target)));
    ASSERT_TRUE(download.Open()) << Platform::ToUtf8(download.ErrorText());
    std::u16string lastAmount;
    int lastPercent = -1;
    bool monotonic = true;
    CInstallerDownload::EStep step = CInstallerDownload::stepRunning;
    while (step == CInstallerDownload::stepRunning) {
        step = download.Step(50);
        monotonic = monotonic && download.Percent() >= lastPercent;
        lastPercent = download.Percent();
        lastAmount = download.AmountText();
    }
    ASSERT_EQ(step, CInstallerDownload::stepComplete) << Platform::ToUtf8(download.ErrorText());
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(lastAmount, u"25.00 MB downloaded");
    EXPECT_TRUE(download.IsVerified());
    EXPECT_EQ(ReadFile(m_target) == content, true);
    EXPECT_EQ(Entries(m_folder), std::vector<std::string>{"Setup_V_1_9_0_0.exe"});
}

TEST_F(InstallerDownload, SmallInstallerWithoutChecksumTakesTheSmallestChunk)
{
    Offer("tiny installer");
    CInstallerDownload download(*m_link, m_choice);
    EXPECT_EQ(download.ChunkSize(), CInstallerDownload::kMinChunk);
    ASSERT_TRUE(download.CreateLocal(Platform::FromUtf8(m_target)));
    ASSERT_TRUE(download.Open());
    ASSERT_EQ(RunToEnd(download), CInstallerDownload::stepComplete) << Platform::ToUtf8(download.ErrorText());
    EXPECT_FALSE(download.IsVerified());
    EXPECT_EQ(ReadFile(m_target), "tiny installer");
    EXPECT_EQ(download.AmountText(), u"0.00 MB downloaded");
}

TEST_F(InstallerDownload, ServerSendingLessThanItListedEndsWithoutAFile)
{
    Offer(Bytes(300000, 3), std::string(), "short");
    CInstallerDownload download(*m_link, m_choice);
    ASSERT_TRUE(download.CreateLocal(Platform::FromUtf8(m_target)));
    ASSERT_TRUE(download.Open());
    ASSERT_EQ(RunToEnd(download), CInstallerDownload::stepFailed);
    EXPECT_EQ(download.Downloaded(), 150000u);
    EXPECT_EQ(Platform::ToUtf8(download.ErrorText()).rfind(
                  "Unknown error while downloading.\nThe server sent 150000 of the 300000 bytes of "
                  "Setup_V_1_9_0_0.exe and then ended the transfer.",
                  0),
              0u)
        << Platform::ToUtf8(download.ErrorText());
    EXPECT_TRUE(Entries(m_folder).empty());
}

TEST_F(InstallerDownload, ChecksumThatDoesNotMatchDeletesTheDownload)
{
    Offer(Bytes(50000, 4), Hash("something else") + "  Setup_V_1_9_0_0.exe\n");
    CInstallerDownload download(*m_link, m_choice);
    ASSERT_TRUE(download.CreateLocal(Platform::FromUtf8(m_target)));
    ASSERT_TRUE(download.Open());
    ASSERT_EQ(RunToEnd(download), CInstallerDownload::stepFailed);
    EXPECT_NE(download.ErrorText().find(u"does not match the checksum"), std::u16string::npos);
    EXPECT_TRUE(Entries(m_folder).empty());

    // A checksum file that holds no checksum stops the download before it starts.
    m_server->Put(std::string(kFolder) + "Setup_V_1_9_0_0.exe.sha256", "not a checksum\n");
    CInstallerDownload second(*m_link, m_choice);
    ASSERT_TRUE(second.CreateLocal(Platform::FromUtf8(m_target)));
    EXPECT_FALSE(second.Open());
    EXPECT_NE(second.ErrorText().find(u"is not a SHA-256 checksum"), std::u16string::npos);
    EXPECT_TRUE(Entries(m_folder).empty());
}

TEST_F(InstallerDownload, FolderWithoutWritePermissionIsRefusedBeforeAnythingIsFetched)
{
    Offer("content");
    ASSERT_EQ(::chmod(m_folder.c_str(), 0555), 0);
    CInstallerDownload download(*m_link, m_choice);
    EXPECT_FALSE(download.CreateLocal(Platform::FromUtf8(m_target)));
    EXPECT_EQ(download.LocalError(), EACCES);
    EXPECT_FALSE(download.CreateLocal(Platform::FromUtf8(m_folder + "/missing/Setup.exe")));
    ::chmod(m_folder.c_str(), 0755);
    EXPECT_TRUE(Entries(m_folder).empty());
}

TEST_F(InstallerDownload, CancelDuringTheDownloadLeavesNothing)
{
    Offer(Bytes(4u << 20, 5), std::string(), "slow");
    CInstallerDownload download(*m_link, m_choice);
    ASSERT_TRUE(download.CreateLocal(Platform::FromUtf8(m_target)));
    ASSERT_TRUE(download.Open());
    while (download.Downloaded() < 100000 && download.Step(50) == CInstallerDownload::stepRunning) {
    }
    ASSERT_GE(download.Downloaded(), 100000u);
    EXPECT_EQ(Entries(m_folder).size(), 1u);   // the temporary file
    std::thread canceller([this] { m_link->Cancel(); });
    canceller.join();
    const auto start = Clock::now();
    ASSERT_EQ(RunToEnd(download), CInstallerDownload::stepFailed);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(Platform::ToUtf8(download.ErrorText()), "Unknown error while downloading.\nThe download was cancelled.");
    EXPECT_TRUE(Entries(m_folder).empty());

    // Abandoning a download (the wizard closed) removes its file too.
    m_link->ResetCancel();
    ASSERT_TRUE(ConnectForUpdate(*m_link, Program181()));
    {
        CInstallerDownload abandoned(*m_link, m_choice);
        ASSERT_TRUE(abandoned.CreateLocal(Platform::FromUtf8(m_target)));
        ASSERT_TRUE(abandoned.Open());
        abandoned.Step(50);
    }
    EXPECT_TRUE(Entries(m_folder).empty());
}

} // namespace

TEST_F(InstallerDownload, TheRateRuleCanOnlyBeTightened)
{
    Offer(Bytes(5000, 1));
    CInstallerDownload download(*m_link, m_choice);
    EXPECT_EQ(download.RateRule().minBytesPerSecond, 10240u);
    EXPECT_EQ(download.RateRule().windowMs, 10000);
    download.TightenRateRule({1, 60000});
    EXPECT_EQ(download.RateRule().minBytesPerSecond, 10240u);
    EXPECT_EQ(download.RateRule().windowMs, 10000);
    download.TightenRateRule({100000, 500});
    EXPECT_EQ(download.RateRule().minBytesPerSecond, 100000u);
    EXPECT_EQ(download.RateRule().windowMs, 500);
}

// A server far below a tenth of the minimum rate that never stalls: the
// transfer ends after one window, not when the file would be complete.
TEST_F(InstallerDownload, ACrawlingServerEndsAfterOneWindow)
{
    Offer(Bytes(20000, 7), std::string(), "crawl");
    CInstallerDownload download(*m_link, m_choice);
    download.TightenRateRule({10240, 1000});
    ASSERT_TRUE(download.CreateLocal(Platform::FromUtf8(m_target)));
    ASSERT_TRUE(download.Open());
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunToEnd(download), CInstallerDownload::stepFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_LT(download.Downloaded(), 20000u);
    EXPECT_NE(Platform::ToUtf8(download.ErrorText())
                  .find("The transfer of Setup_V_1_9_0_0.exe was too slow: less than 1024 bytes a second over 1 seconds."),
              std::string::npos)
        << Platform::ToUtf8(download.ErrorText());
    EXPECT_TRUE(Entries(m_folder).empty());
}
