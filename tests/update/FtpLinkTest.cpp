// SPDX-License-Identifier: GPL-3.0-or-later
// The FTP link against a real FTP server on loopback: the account, the
// folder and its listing, and servers that cannot be reached, refuse, list
// junk or never answer.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "UpdateTestSupport.h"
#include "platform/StringTable.h"
#include "update/UpdateCheck.h"
#include "update/UpdateStrings.h"

using namespace Update;
using namespace UpdateTest;

namespace {

class FtpLink : public CServerTest {};

bool Has(const std::u16string& text, const std::u16string& part)
{
    return text.find(part) != std::u16string::npos;
}

TEST_F(FtpLink, ListsTheUpdateFolderWithNamesAndSizes)
{
    StartServer();
    m_server->Put(std::string(kFolder) + "Setup_V_1_9_0_0.exe", std::string(1234, 'x'));
    m_server->Put(std::string(kFolder) + "read me.txt", "hello");
    m_server->MakeFolder(std::string(kFolder) + "Setup_V_2_0_0_0.exe");
    CFtpLink link(Server());
    ASSERT_TRUE(link.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword))
        << Platform::ToUtf8(link.GetErrorText());
    std::vector<SFtpEntry> files;
    ASSERT_TRUE(link.ListFolder(u"*", files));
    ASSERT_EQ(files.size(), 2u);
    std::map<std::u16string, uint64_t> sizes;
    for (const SFtpEntry& f : files)
        sizes[f.name] = f.size;
    EXPECT_EQ(sizes[u"Setup_V_1_9_0_0.exe"], 1234u);
    EXPECT_EQ(sizes[u"read me.txt"], 5u);
    ASSERT_TRUE(link.ListFolder(u"*.txt", files));
    ASSERT_EQ(files.size(), 1u);
    std::string content;
    ASSERT_TRUE(link.ReadSmallFile(files[0], 100, content));
    EXPECT_EQ(content, "hello");
    EXPECT_FALSE(link.ReadSmallFile(files[0], 3, content));
    EXPECT_TRUE(link.StillAnswers());

    // The program's search sees the same folder.
    SInstallerChoice choice;
    ASSERT_TRUE(ConnectForUpdate(link, Program181()));
    ASSERT_TRUE(SearchInstaller(link, Program181(), choice));
    EXPECT_EQ(choice.version, CVersion(1, 9, 0, 0));
}

TEST_F(FtpLink, MissingFolderAndRefusedLoginSayWhatFailed)
{
    StartServer();
    m_server->MakeFolder("VnUpgrade");
    CCollectingPrompt prompt;
    CFtpLink link(Server());
    link.SetPrompt(&prompt);
    EXPECT_FALSE(link.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    EXPECT_TRUE(link.IsFolderMissing());
    EXPECT_EQ(link.GetErrorText(), u"Directory (./VnUpgrade/Brelmora/) not found on the FTP server!");
    // Show-errors on: the same text went to the prompt as an error.
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.kinds[0], IPrompt::messageError);
    EXPECT_EQ(prompt.texts[0], link.GetErrorText());

    link.SetShowErrors(false);
    EXPECT_FALSE(link.ConnectUpdateFolder(u"./VnUpgrade/", kUpdateUser, u"wrong"));
    EXPECT_FALSE(link.IsFolderMissing());
    EXPECT_TRUE(Has(link.GetErrorText(), u"did not accept the user name or the password")) << Platform::ToUtf8(link.GetErrorText());
    EXPECT_TRUE(Has(link.GetErrorText(), u"(Error 12014)"));
    EXPECT_EQ(prompt.texts.size(), 1u);
}

TEST_F(FtpLink, UnreachableUnsetAndBadServersFailAtOnce)
{
    CFtpLink closed(ClosedPort());
    closed.SetShowErrors(false);
    const auto start = Clock::now();
    EXPECT_FALSE(closed.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    EXPECT_EQ(closed.GetErrorText(),
              u"No connection could be made to the download server 127.0.0.1:1. (Error 12029)");
    EXPECT_LT(MsSince(start), 2000);

    // The built-in placeholder is never looked up.
    CFtpLink unset(BuiltInUpdateServer());
    unset.SetShowErrors(false);
    EXPECT_FALSE(unset.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    EXPECT_TRUE(Has(unset.GetErrorText(), u"only a placeholder"));
    EXPECT_TRUE(Has(unset.GetErrorText(), u"(Error 12007)"));

    CFtpLink bad(ParseFtpServer(u"http://127.0.0.1"));
    bad.SetShowErrors(false);
    EXPECT_FALSE(bad.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    EXPECT_TRUE(Has(bad.GetErrorText(), u"\"UpdateServer\" (http://127.0.0.1)"));

    std::vector<SFtpEntry> files;
    EXPECT_FALSE(closed.ListFolder(u"*", files));
    EXPECT_EQ(closed.GetErrorText(), Platform::LoadString(IDS_FTP_CONNECT_FAILED));
}

TEST_F(FtpLink, JunkListingLinesAreSkipped)
{
    StartServer("junk");
    m_server->Put(std::string(kFolder) + "Setup_V_1_8_2_0.exe", "12345");
    CFtpLink link(Server());
    ASSERT_TRUE(link.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    std::vector<SFtpEntry> files;
    ASSERT_TRUE(link.ListFolder(u"*", files));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, u"Setup_V_1_8_2_0.exe");
    EXPECT_EQ(files[0].size, 5u);
}

TEST_F(FtpLink, ServerThatNeverAnswersTimesOutOrIsCancelled)
{
    StartServer("silent");
    CFtpLink link(Server());
    link.SetShowErrors(false);
    link.SetTimeouts(ShortTimeouts());
    auto start = Clock::now();
    EXPECT_FALSE(link.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    EXPECT_TRUE(Has(link.GetErrorText(), u"did not answer in time")) << Platform::ToUtf8(link.GetErrorText());
    EXPECT_LT(MsSince(start), 8000);

    // With the long time-outs of the program, Cancel from another thread
    // ends the wait.
    CFtpLink waiting(Server());
    waiting.SetShowErrors(false);
    std::thread canceller([&waiting] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        waiting.Cancel();
    });
    start = Clock::now();
    EXPECT_FALSE(waiting.ConnectUpdateFolder(u"./VnUpgrade/Brelmora/", kUpdateUser, kUpdatePassword));
    const long long ms = MsSince(start);
    canceller.join();
    EXPECT_LT(ms, 1300);
    EXPECT_TRUE(Has(waiting.GetErrorText(), u"(Error 12017)")) << Platform::ToUtf8(waiting.GetErrorText());
}

} // namespace
