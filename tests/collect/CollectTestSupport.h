// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the collecting layer's tests: simulated instruments on COM
// ports (pseudo-terminals) and on TCP loopback, a pass host and a listener
// that record what they are told, and a sink in memory that can be told to
// fail.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "collect/CollectEvents.h"
#include "collect/CollectPass.h"
#include "collect/CollectSink.h"
#include "collect/CollectTarget.h"
#include "data/PaperData.h"
#include "platform/Text.h"
#include "sim/FaultModes.h"
#include "sim/SeriesGenerator.h"
#include "sim/TcpSimulator.h"
#include "sim/VeltranoSimulator.h"
#include "support/SimulatedPort.h"

namespace CollectTest {

// Every event, in order, with a wait for one of a kind.
class CEventLog {
public:
    void Add(const Collect::SEvent& e)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(e);
        m_changed.notify_all();
    }
    std::vector<Collect::SEvent> Events() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    int Count(Collect::EEvent kind, const std::string& target = std::string()) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        int n = 0;
        for (const auto& e : m_events)
            n += e.kind == kind && (target.empty() || e.target == target);
        return n;
    }
    // Waits up to `ms` until `n` events of `kind` (for `target`) came.
    bool WaitFor(Collect::EEvent kind, const std::string& target, int n, int ms)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] {
            int c = 0;
            for (const auto& e : m_events)
                c += e.kind == kind && (target.empty() || e.target == target);
            return c >= n;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Collect::SEvent> m_events;
};

class CLogListener : public Collect::ICollectListener {
public:
    void OnCollectEvent(const Collect::SEvent& e) override { log.Add(e); }
    CEventLog log;
};

class CRecordingHost : public Collect::IPassHost {
public:
    bool StopRequested() override { return stop.load(); }
    void Report(const Collect::SEvent& e) override
    {
        log.Add(e);
        if (onEvent)
            onEvent(e);
    }
    void EnterCritical() override { ++critical; }
    void LeaveCritical() override { --critical; }

    std::atomic<bool> stop{false};
    std::atomic<int> critical{0};
    std::function<void(const Collect::SEvent&)> onEvent;
    CEventLog log;
};

// Keeps measurements in memory by serial number, counter and time stamp.
class CMemorySink : public Collect::ICollectSink {
public:
    Collect::SStoreCounts Store(const CPaperData& original, const CPaperData& current,
                                const std::string& port) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++calls;
        lastPort = port;
        if (fail)
            throw std::runtime_error("the archive is full");
        Collect::SStoreCounts c;
        for (int i = 0; i < original.GetCount(); ++i) {
            int& n = stored[Platform::ToUtf8(original.GetSerial(i)) + "/" + std::to_string(original.GetCounter(i)) + "/" +
                            std::to_string(original.GetDateTime(i))];
            (n == 0 ? c.added : c.unchanged)++;
            n = 1;
        }
        (void)current;
        return c;
    }
    size_t Size()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return stored.size();
    }

    std::atomic<bool> fail{false};
    int calls = 0;
    std::string lastPort;
    std::map<std::string, int> stored;

private:
    std::mutex m_mutex;
};

// A simulated instrument holding `series` generated series, served on COM
// `port` (a pseudo-terminal) or on TCP loopback.
struct SInstrument {
    std::shared_ptr<Sim::CInstrument> instrument;
    std::unique_ptr<Sim::CVeltranoSimulator> pty;
    std::unique_ptr<Sim::CTcpSimulator> tcp;
    int comPort = 0;

    ~SInstrument() { Unplug(); }
    void Unplug()
    {
        if (tcp)
            tcp->Stop();
        tcp.reset();
        if (comPort != 0)
            TestEnv::StopComPortSimulator(comPort, pty);
    }
    size_t Held() const { return instrument->GetSeriesCount(); }
};

inline std::shared_ptr<Sim::CInstrument> MakeInstrument(size_t series, uint32_t seed, const char* faults = "",
                                                        const std::string& serial = "VT-20417")
{
    Sim::SSimContent c;
    c.series = Sim::GenerateSeries(series, seed);
    c.identity.serialNumber = serial;
    Sim::SFaults f;
    std::string error;
    if (faults[0] != '\0') {
        EXPECT_TRUE(Sim::ParseFaults(faults, f, error)) << error;
    }
    return std::make_shared<Sim::CInstrument>(c, f, seed);
}

inline std::unique_ptr<SInstrument> OnComPort(int port, std::shared_ptr<Sim::CInstrument> instrument)
{
    auto s = std::make_unique<SInstrument>();
    s->instrument = std::move(instrument);
    std::string error;
    s->pty = TestEnv::ServeOnComPort(port, s->instrument, {}, error);
    EXPECT_TRUE(s->pty) << error;
    s->comPort = port;
    return s;
}

// On 127.0.0.1 with a free port; `target` gets its collect target.
inline std::unique_ptr<SInstrument> OnTcp(std::shared_ptr<Sim::CInstrument> instrument, Collect::SCollectTarget& target)
{
    auto s = std::make_unique<SInstrument>();
    s->instrument = std::move(instrument);
    s->tcp = std::make_unique<Sim::CTcpSimulator>(s->instrument);
    std::string error;
    EXPECT_TRUE(s->tcp->Start("127.0.0.1", 0, error)) << error;
    target = Collect::LinkTarget(StreamIO::SLinkSpec::Ip("127.0.0.1", s->tcp->GetPort()));
    return s;
}

inline long long MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace CollectTest
