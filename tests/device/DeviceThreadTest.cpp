// SPDX-License-Identifier: GPL-3.0-or-later
// The device thread: queueing, aborting and stopping without killing.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "DeviceTestSupport.h"
#include "device/DeviceThread.h"
#include "device/SearchJobs.h"
#include "platform/ComPorts.h"
#include "support/Pty.h"

using namespace Device;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

template <typename Pred>
bool WaitFor(Pred pred, int ms)
{
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}

constexpr int kSilentPorts = 16;

// The first COM numbers all lead to one pseudo-terminal whose far end never
// answers: each identification waits for its full timeout unless it is
// cancelled.
void SilentPorts(TestEnv::CPty& pty)
{
    if (pty.Master() < 0) {
        ASSERT_TRUE(pty.Open());
    }
    for (int n = 1; n <= kSilentPorts; ++n)
        ASSERT_EQ(Platform::SetComPortDevicePath(n, pty.SlavePath()), 0u);
}

// Back to paths that do not exist: no port opens.
void AbsentPorts()
{
    for (int n = 1; n <= kSilentPorts; ++n)
        Platform::SetComPortDevicePath(n, "/nonexistent/brelmora-test/COM" + std::to_string(n));
}

struct DeviceThreadFixture : ::testing::Test {
    CRecordingCallback callback;
    SSearchParams params;
    TestEnv::CPty silent;

    void SetUp() override
    {
        params.deviceType = TYPE_VELTRANO;
        params.portKind = PORT_SERIAL;
        ASSERT_TRUE(StartDeviceThread());
    }
    void TearDown() override
    {
        EXPECT_TRUE(StopDeviceThread());
        AbsentPorts();
        ClearAbort();
    }
    int Ends()
    {
        std::lock_guard<std::mutex> guard(callback.lock);
        return callback.ends;
    }
    size_t StatusCount()
    {
        std::lock_guard<std::mutex> guard(callback.lock);
        return callback.status.size();
    }
};

} // namespace

using DeviceThreadTest = DeviceThreadFixture;

TEST_F(DeviceThreadTest, EnqueueRunsSearchAndReconnectJobs)
{
    AbsentPorts();
    EXPECT_FALSE(EnqueueJob(nullptr, &params));
    EXPECT_FALSE(EnqueueJob(&callback, nullptr));

    params.reconnectTimeoutMs = 0;   // a search
    ASSERT_TRUE(EnqueueJob(&callback, &params));
    ASSERT_TRUE(WaitFor([&] { return Ends() == 1; }, 2000));
    {
        std::lock_guard<std::mutex> guard(callback.lock);
        EXPECT_EQ(callback.status.front(), u"Serial COM1:");
    }
    params.reconnectTimeoutMs = 50;   // a reconnection
    ASSERT_TRUE(EnqueueJob(&callback, &params));
    ASSERT_TRUE(WaitFor([&] { return Ends() == 2; }, 2000));
    std::lock_guard<std::mutex> guard(callback.lock);
    EXPECT_NE(std::find(callback.status.begin(), callback.status.end(), u"Await device answer for reconnection..."),
              callback.status.end());
}

TEST_F(DeviceThreadTest, StopEndsABlockedExchangeQuickly)
{
    SilentPorts(silent);
    params.scanAllComPorts = true;
    ASSERT_TRUE(EnqueueJob(&callback, &params));
    // Wait until the identification on the first port is under way.
    ASSERT_TRUE(WaitFor([&] { return StatusCount() >= 1; }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const auto started = Clock::now();
    EXPECT_TRUE(StopDeviceThread());
    EXPECT_LT(MsSince(started), 1000);
    EXPECT_EQ(Ends(), 0);   // an aborted search does not report its end
    ASSERT_TRUE(StartDeviceThread());
}

TEST_F(DeviceThreadTest, AbortStopsTheJobAndLeavesTheThreadReady)
{
    SilentPorts(silent);
    params.scanAllComPorts = true;
    ASSERT_TRUE(EnqueueJob(&callback, &params));
    ASSERT_TRUE(WaitFor([&] { return StatusCount() >= 1; }, 2000));
    const auto started = Clock::now();
    EXPECT_TRUE(AbortJobs(2000));
    EXPECT_LT(MsSince(started), 1000);
    EXPECT_LT(StatusCount(), 10u);

    // The thread takes new work after the abort.
    AbsentPorts();
    params.scanAllComPorts = false;
    ASSERT_TRUE(EnqueueJob(&callback, &params));
    EXPECT_TRUE(WaitFor([&] { return Ends() == 1; }, 2000));
}

TEST(DeviceThreadFlags, AbortDoesNotCancelExchangesOfOtherThreads)
{
    // A device handed to the user interface must keep working while the
    // flag of an abandoned search is still set.
    EXPECT_TRUE(AbortJobs(0));
    EXPECT_TRUE(IsAbortRequested());
    EXPECT_FALSE(DeviceThreadAbortHook(nullptr));
    ClearAbort();
}
