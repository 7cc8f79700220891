// SPDX-License-Identifier: GPL-3.0-or-later
// The background update check against a real FTP server on loopback: what
// it reports, that a failure stays silent, and that a check hanging on a
// server that never answers ends at once when the program closes.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "UpdateTestSupport.h"
#include "update/UpdateCheck.h"

using namespace Update;
using namespace UpdateTest;

namespace {

class UpdateCheck : public CServerTest {
protected:
    struct SReports {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::pair<uint32_t, uint64_t>> got;
    };

    static CUpdateCheck::Report Collect(SReports& r)
    {
        return [&r](uint32_t id, uint64_t packed) {
            std::lock_guard<std::mutex> lock(r.mutex);
            r.got.emplace_back(id, packed);
            r.changed.notify_all();
        };
    }

    static void WaitForEnd(CUpdateCheck& check)
    {
        const auto start = Clock::now();
        while (check.IsRunning() && MsSince(start) < 20000)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
};

TEST_F(UpdateCheck, ReportsTheNewestVersionOrZero)
{
    StartServer();
    m_server->Put(std::string(kFolder) + "Setup_V_1_8_2_0.exe", "a");
    m_server->Put(std::string(kFolder) + "Setup_V_1_9_0_0.exe", "b");
    m_server->Put(std::string(kFolder) + "readme.txt", "c");
    SReports reports;
    {
        CUpdateCheck check(Program181(), Server());
        ASSERT_TRUE(check.Start(1041, Collect(reports)));
        WaitForEnd(check);
    }
    ASSERT_EQ(reports.got.size(), 1u);
    EXPECT_EQ(reports.got[0].first, 1041u);
    EXPECT_EQ(CVersion(reports.got[0].second), CVersion(1, 9, 0, 0));
    uint32_t wParam = 0, lParam = 0;
    CVersion(reports.got[0].second).ToMessageParams(wParam, lParam);
    EXPECT_EQ(wParam, 9u * 65536 + 1);
    EXPECT_EQ(lParam, 0u);

    // The newest installer is the program itself: 0.
    reports.got.clear();
    CUpdateCheck same(SProgramIdentity::Make(u"Brelmora", u"1.9.0.0"), Server());
    ASSERT_TRUE(same.Start(1041, Collect(reports)));
    WaitForEnd(same);
    ASSERT_EQ(reports.got.size(), 1u);
    EXPECT_EQ(reports.got[0].second, 0u);
}

TEST_F(UpdateCheck, UnreachableServerPostsNothing)
{
    SReports reports;
    CUpdateCheck check(Program181(), ClosedPort());
    ASSERT_TRUE(check.Start(1041, Collect(reports)));
    WaitForEnd(check);
    EXPECT_TRUE(reports.got.empty());
    // A missing folder is as silent.
    StartServer();
    CUpdateCheck noFolder(Program181(), Server());
    ASSERT_TRUE(noFolder.Start(1041, Collect(reports)));
    WaitForEnd(noFolder);
    EXPECT_TRUE(reports.got.empty());
}

TEST_F(UpdateCheck, HangingCheckEndsWithinASecondWhenStopped)
{
    StartServer("silent");
    SReports reports;
    auto check = std::make_unique<CUpdateCheck>(Program181(), Server());
    ASSERT_TRUE(check->Start(1041, Collect(reports)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(check->IsRunning());
    const auto start = Clock::now();
    check.reset();   // what closing the program does
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_TRUE(reports.got.empty());
}

} // namespace
