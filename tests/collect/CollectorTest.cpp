// SPDX-License-Identifier: GPL-3.0-or-later
// The collector's workers over several simulated instruments at once: one
// slow or silent instrument holds up nobody, every series is stored exactly
// once, a new device file wakes its worker, a stop ends within its grace.
#ifdef BRELMORA_HAVE_SIM

#include "CollectTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

#include "collect/Collector.h"
#include "collect/DeviceNodeWatch.h"
#include "platform/ComPorts.h"
#include "support/TestEnv.h"

using namespace CollectTest;
using Collect::EEvent;

namespace {

constexpr int kComA = 61;
constexpr int kComB = 62;
constexpr int kComSilent = 63;

} // namespace

TEST(Collector, ThreeInstrumentsAtOnceWithASilentOneEachSeriesOnce)
{
    auto a = OnComPort(kComA, MakeInstrument(6, 11, "", "VT-1"));
    auto b = OnComPort(kComB, MakeInstrument(4, 12, "trickle-series=1", "VT-2"));
    auto silent = OnComPort(kComSilent, MakeInstrument(3, 13, "silence-after=0", "VT-3"));
    Collect::SCollectTarget tcpTarget;
    auto c = OnTcp(MakeInstrument(5, 14, "", "VT-4"), tcpTarget);

    CMemorySink sink;
    CLogListener listener;
    Collect::SCollectorOptions options;
    options.pass.sink = &sink;
    options.pass.deleteAfterArchive = true;
    options.once = true;
    const auto started = std::chrono::steady_clock::now();
    {
        Collect::CCollector collector(options, listener);
        collector.Add(Collect::ComPortTarget(kComSilent, false));
        collector.Add(Collect::ComPortTarget(kComA, false));
        collector.Add(Collect::ComPortTarget(kComB, false));
        collector.Add(tcpTarget);
        collector.Add(tcpTarget);   // a target is served by one worker only
        EXPECT_EQ(collector.TargetNames().size(), 4u);
        // The quick ones are done while the silent one still waits for its
        // identification (2 s) and the trickling one still sends.
        ASSERT_TRUE(listener.log.WaitFor(EEvent::Deleted, "COM61", 1, 10000));
        ASSERT_TRUE(listener.log.WaitFor(EEvent::Deleted, tcpTarget.name, 1, 10000));
        EXPECT_LT(MsSince(started), 1900);
        EXPECT_EQ(listener.log.Count(EEvent::Absent, "COM63"), 0);
        ASSERT_TRUE(listener.log.WaitFor(EEvent::Deleted, "COM62", 1, 20000));
        ASSERT_TRUE(collector.Finish(10000));
        EXPECT_TRUE(collector.AllDone());
        const auto states = collector.Snapshot();
        ASSERT_EQ(states.size(), 4u);
        EXPECT_EQ(states[0].state, Collect::EState::Absent);
        EXPECT_EQ(states[1].state, Collect::EState::Waiting);
        EXPECT_EQ(states[1].lastDownloadSeries, 6);
    }
    EXPECT_EQ(sink.Size(), 15u);
    EXPECT_EQ(a->Held() + b->Held() + c->Held(), 0u);
    EXPECT_EQ(silent->Held(), 3u);
    EXPECT_EQ(listener.log.Count(EEvent::Absent, "COM63"), 1);
}

TEST(Collector, AnUnpluggedInstrumentComesBackAndNothingIsStoredTwice)
{
    auto a = OnComPort(kComA, MakeInstrument(30, 21, "trickle-series=5", "VT-5"));
    CMemorySink sink;
    CLogListener listener;
    Collect::SCollectorOptions options;
    options.pass.sink = &sink;
    options.pass.deleteAfterArchive = true;
    options.intervalMs = 200;
    Collect::CCollector collector(options, listener);
    collector.Add(Collect::ComPortTarget(kComA, false));
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Found, "COM61", 1, 10000));
    // Pulled out while the series trickle.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (a->instrument->GetRequestCount() < 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    const auto instrument = a->instrument;
    a->Unplug();
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Lost, "COM61", 1, 10000));
    EXPECT_EQ(sink.Size(), 0u);
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Absent, "COM61", 1, 10000));
    // Plugged in again, now without the trickle.
    instrument->SetFaults({});
    auto back = std::make_unique<SInstrument>();
    back->instrument = instrument;
    std::string error;
    back->pty = TestEnv::ServeOnComPort(kComA, instrument, {}, error);
    back->comPort = kComA;
    ASSERT_TRUE(back->pty) << error;
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Deleted, "COM61", 1, 10000));
    EXPECT_EQ(sink.Size(), 30u);
    EXPECT_EQ(instrument->GetSeriesCount(), 0u);
    EXPECT_EQ(listener.log.Count(EEvent::Found, "COM61"), 2);
    collector.RequestStop();
    EXPECT_TRUE(collector.Finish(5000));
}

TEST(Collector, ANewDeviceFileWakesItsWorkerWithinASecond)
{
    // COM61 leads to a name in a folder of the test's own; the instrument
    // appears there as a link to its pseudo-terminal.
    const std::string folder = TestEnv::TempDir() + "/dev-nodes";
    std::filesystem::create_directories(folder);
    const std::string node = folder + "/ttyVT0";
    ASSERT_EQ(Platform::SetComPortDevicePath(kComA, node), 0u);

    CMemorySink sink;
    CLogListener listener;
    Collect::SCollectorOptions options;
    options.pass.sink = &sink;
    options.intervalMs = 3600 * 1000;
    Collect::CCollector collector(options, listener);
    Collect::CDeviceNodeWatch nodes;
    ASSERT_TRUE(nodes.Watch(Collect::DeviceNodePaths(256)));
    const auto folders = nodes.Folders();
    EXPECT_NE(std::find(folders.begin(), folders.end(), folder), folders.end());
    collector.Add(Collect::ComPortTarget(kComA, false));
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Absent, "COM61", 1, 10000));

    auto sim = std::make_unique<Sim::CVeltranoSimulator>(MakeInstrument(3, 31));
    std::string error;
    const std::string pty = sim->ServePty(&error);
    ASSERT_FALSE(pty.empty()) << error;
    const auto plugged = std::chrono::steady_clock::now();
    ASSERT_EQ(::symlink(pty.c_str(), node.c_str()), 0);
    // The main loop's part: poll the descriptor, hand the paths over.
    std::vector<std::string> seen;
    while (seen.empty() && MsSince(plugged) < 1000) {
        pollfd fd{nodes.Descriptor(), POLLIN, 0};
        ::poll(&fd, 1, 100);
        seen = nodes.Take();
    }
    ASSERT_EQ(seen, std::vector<std::string>{node});
    collector.WakeDevice(node);
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Archived, "COM61", 1, 5000));
    EXPECT_LT(MsSince(plugged), 1000);
    collector.RequestStop();
    EXPECT_TRUE(collector.Finish(5000));
    sim->Stop();
    ::unlink(node.c_str());
    Platform::SetComPortDevicePath(kComA, TestEnv::AbsentComDevice(kComA));
}

TEST(Collector, AStopDuringTransfersEndsWellWithinTwoSeconds)
{
    auto a = OnComPort(kComA, MakeInstrument(40, 41, "trickle-series=20"));
    auto silent = OnComPort(kComSilent, MakeInstrument(3, 42, "silence-after=0"));
    CMemorySink sink;
    CLogListener listener;
    Collect::SCollectorOptions options;
    options.pass.sink = &sink;
    options.pass.deleteAfterArchive = true;
    Collect::CCollector collector(options, listener);
    collector.Add(Collect::ComPortTarget(kComA, false));
    collector.Add(Collect::ComPortTarget(kComSilent, false));
    ASSERT_TRUE(listener.log.WaitFor(EEvent::Found, "COM61", 1, 10000));
    const auto stopped = std::chrono::steady_clock::now();
    collector.RequestStop();
    EXPECT_TRUE(collector.Finish(1500));
    EXPECT_LT(MsSince(stopped), 2000);
    EXPECT_EQ(sink.calls, 0);
    EXPECT_EQ(a->Held(), 40u);
    // A stopped collector takes no new targets.
    collector.Add(Collect::ComPortTarget(kComB, false));
    EXPECT_EQ(collector.TargetNames().size(), 2u);
}

#endif
