// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/Events.h"
#include "platform/Text.h"

using namespace Platform;

namespace {

std::u16string UniqueName(const char* what)
{
    return Format("BrelmoraTest-%s-%d", what, static_cast<int>(getpid()));
}

bool ShmExists(std::u16string_view name)
{
    return access(("/dev/shm" + CNamedEvent::SharedMemoryName(name)).c_str(), F_OK) == 0;
}

} // namespace

TEST(ManualResetEvent, SetReleasesEveryWaiterAndStaysSet)
{
    CManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(20));

    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.emplace_back([&] {
            if (event.Wait(kInfinite))
                ++released;
        });
    event.Set();
    for (std::thread& t : waiters)
        t.join();
    EXPECT_EQ(released, 4);
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(10));
    EXPECT_TRUE(CManualResetEvent(true).Wait(0));
}

TEST(ManualResetEvent, SetFollowedAtOnceByResetStillReleasesAWaiter)
{
    CManualResetEvent event;
    CManualResetEvent started;
    std::atomic<bool> result{false};
    std::thread waiter([&] {
        started.Set();
        result = event.Wait(10000);
    });
    started.Wait();
    // Give the waiter time to block; the outcome does not depend on it.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.Set();
    event.Reset();
    waiter.join();
    EXPECT_TRUE(result);
    EXPECT_FALSE(event.IsSet());
}

TEST(NamedEvent, NamesMapToSharedMemoryObjects)
{
    const std::string prefix = "/brelmora." + std::to_string(getuid()) + ".";
    EXPECT_EQ(CNamedEvent::SharedMemoryName(kCloseEventName), prefix + "VovCloseEvent");
    EXPECT_EQ(CNamedEvent::SharedMemoryName(kProbeAttachEventName), prefix + "HidVov-Attach");
    EXPECT_EQ(CNamedEvent::SharedMemoryName(kProbeDetachEventName), prefix + "HidVov-Detach");
    EXPECT_EQ(CNamedEvent::SharedMemoryName(u"Local\\a/b c"), prefix + "Local_a_b_c");

    CNamedEvent event;
    EXPECT_EQ(event.Create(u""), ERROR_INVALID_NAME);
    EXPECT_EQ(event.Create(std::u16string(300, u'x')), ERROR_INVALID_NAME);
    EXPECT_FALSE(event.Set());
    EXPECT_FALSE(event.Wait(0));
}

TEST(NamedEvent, HandlesShareOneStateAndTheLastCloseRemovesIt)
{
    const std::u16string name = UniqueName("share");
    CNamedEvent first;
    EXPECT_EQ(first.Open(name), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(first.Create(name, true), ERROR_SUCCESS);
    EXPECT_FALSE(first.AlreadyExisted());
    EXPECT_TRUE(first.IsSet());

    CNamedEvent second;
    ASSERT_EQ(second.Create(name, false), ERROR_SUCCESS);   // exists: its state is kept
    EXPECT_TRUE(second.AlreadyExisted());
    EXPECT_TRUE(second.Wait(0));
    second.Reset();
    EXPECT_FALSE(first.IsSet());

    std::thread waiter([&] { EXPECT_TRUE(first.Wait(10000)); });
    second.Set();
    waiter.join();

    first.Close();
    EXPECT_TRUE(ShmExists(name));
    second.Close();
    EXPECT_FALSE(ShmExists(name));
    CNamedEvent again;
    EXPECT_EQ(again.Open(name), ERROR_FILE_NOT_FOUND);
}

TEST(NamedEvent, AnotherProcessIsReleasedBySet)
{
    const std::u16string name = UniqueName("fork");
    CNamedEvent event;
    ASSERT_EQ(event.Create(name), ERROR_SUCCESS);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CNamedEvent mine;
        const bool opened = mine.Open(name) == ERROR_SUCCESS;
        const char byte = 1;
        const bool told = write(ready[1], &byte, 1) == 1;
        const bool woken = opened && told && mine.Wait(10000);
        mine.Close();
        _exit(woken ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_TRUE(event.Set());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(ready[0]);
    close(ready[1]);
}

TEST(NamedEvent, EventOfEndedProcessesStartsAfresh)
{
    const std::u16string name = UniqueName("stale");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Ends without closing, as a crashed program would.
        auto* event = new CNamedEvent;
        _exit(event->Create(name, true) == ERROR_SUCCESS && event->IsSet() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    CNamedEvent event;
    EXPECT_EQ(event.Open(name), ERROR_FILE_NOT_FOUND);   // nobody holds it any more
    ASSERT_EQ(event.Create(name, false), ERROR_SUCCESS);
    EXPECT_FALSE(event.AlreadyExisted());
    EXPECT_FALSE(event.IsSet());
    event.Close();
    EXPECT_FALSE(ShmExists(name));
}
