// SPDX-License-Identifier: GPL-3.0-or-later
#include "collect/Collector.h"

#include <chrono>

#include "platform/FileSystem.h"

namespace Collect {

namespace {

// Where a path leads, or the path itself when it leads nowhere.
std::string RealPath(const std::string& path)
{
    const std::string resolved = Platform::ResolveLinks(path);
    return resolved.empty() ? path : resolved;
}

} // namespace

struct CCollector::SWorker {
    SCollectTarget target;
    std::thread thread;
    SInstrumentState state;
    bool wake = false;
    bool retired = false;
    bool ended = false;
    bool passDone = false;      // once mode: its pass has run
    bool seen = false;          // an instrument answered at the last pass
    bool reportedAbsent = false;
};

// The pass's view of its worker.
class CCollector::CHost : public IPassHost {
public:
    CHost(CCollector& owner, SWorker& worker) : m_owner(owner), m_worker(worker) {}
    bool StopRequested() override
    {
        if (m_owner.m_stop.load())
            return true;
        std::lock_guard<std::mutex> lock(m_owner.m_mutex);
        return m_worker.retired;
    }
    void Report(const SEvent& event) override
    {
        {
            std::lock_guard<std::mutex> lock(m_owner.m_mutex);
            SInstrumentState& s = m_worker.state;
            switch (event.kind) {
            case EEvent::Found:
                s.serial = event.serial;
                // Said once while the same instrument keeps answering.
                if (m_worker.seen && m_foundBefore == event.serial)
                    return;
                break;
            case EEvent::Downloaded:
                s.lastDownload = event.time;
                s.lastDownloadSeries = event.series;
                break;
            case EEvent::Error:
            case EEvent::Lost:
                s.lastError = event.time;
                s.lastErrorText = event.cause;
                break;
            default:
                break;
            }
        }
        m_owner.Emit(event);
    }
    void EnterCritical() override { ++m_owner.m_critical; }
    void LeaveCritical() override { --m_owner.m_critical; }

    std::u16string m_foundBefore;

private:
    CCollector& m_owner;
    SWorker& m_worker;
};

CCollector::CCollector(const SCollectorOptions& options, ICollectListener& listener)
    : m_options(options), m_listener(listener)
{
}

CCollector::~CCollector()
{
    RequestStop();
    if (m_abandoned)
        return;
    for (auto& w : m_workers) {
        if (w->thread.joinable())
            w->thread.join();
    }
}

void CCollector::Add(const SCollectTarget& target)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop.load())
        return;
    for (auto& w : m_workers) {
        if (w->target.name == target.name && !w->retired)
            return;
    }
    auto worker = std::make_unique<SWorker>();
    worker->target = target;
    worker->state.target = target.name;
    SWorker& ref = *worker;
    m_workers.push_back(std::move(worker));
    ref.thread = std::thread([this, &ref] { Run(ref); });
}

void CCollector::Remove(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& w : m_workers) {
        if (w->target.name == name)
            w->retired = true;
    }
    m_changed.notify_all();
}

std::vector<std::string> CCollector::TargetNames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    for (const auto& w : m_workers) {
        if (!w->retired)
            names.push_back(w->target.name);
    }
    return names;
}

void CCollector::Wake(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& w : m_workers) {
        if (w->target.name == name)
            w->wake = true;
    }
    m_changed.notify_all();
}

void CCollector::WakeAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& w : m_workers)
        w->wake = true;
    m_changed.notify_all();
}

void CCollector::WakeDevice(const std::string& path)
{
    std::vector<SCollectTarget> serial;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& w : m_workers) {
            if (w->target.link.kind == StreamIO::ELinkKind::Serial && !w->retired)
                serial.push_back(w->target);
        }
    }
    // The Ports key is read outside the lock: it is a file.
    const std::string real = RealPath(path);
    std::vector<std::string> woken;
    for (const SCollectTarget& t : serial) {
        const std::string device = DevicePathOf(t);
        if (!device.empty() && (device == path || RealPath(device) == real))
            woken.push_back(t.name);
    }
    for (const std::string& name : woken)
        Wake(name);
}

bool CCollector::AllDone() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& w : m_workers) {
        if (!w->passDone && !w->ended)
            return false;
    }
    return true;
}

void CCollector::RequestStop()
{
    m_stop.store(true);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_changed.notify_all();
}

bool CCollector::Finish(int graceMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        bool all = true;
        for (const auto& w : m_workers)
            all = all && w->ended;
        if (all)
            break;
        if (std::chrono::steady_clock::now() >= deadline && m_critical.load() == 0) {
            for (auto& w : m_workers) {
                if (!w->ended && w->thread.joinable())
                    w->thread.detach();
            }
            m_abandoned = true;
            return false;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    lock.unlock();
    for (auto& w : m_workers) {
        if (w->thread.joinable())
            w->thread.join();
    }
    return true;
}

std::vector<SInstrumentState> CCollector::Snapshot() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<SInstrumentState> states;
    for (const auto& w : m_workers) {
        if (!w->retired)
            states.push_back(w->state);
    }
    return states;
}

void CCollector::Emit(const SEvent& event)
{
    std::lock_guard<std::mutex> lock(m_eventMutex);
    m_listener.OnCollectEvent(event);
}

void CCollector::Settle(SWorker& worker, const SPassReport& report)
{
    SEvent event;
    event.target = worker.target.name;
    event.serial = report.serial;
    event.cause = report.cause;
    event.time = std::time(nullptr);
    bool emit = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        SInstrumentState& s = worker.state;
        s.lastPass = event.time;
        switch (report.result) {
        case EPassResult::Absent:
            s.state = EState::Absent;
            // A scanned port says so only when an instrument answered there
            // before; a named one also at its first pass.
            emit = !worker.reportedAbsent && (worker.seen || !worker.target.fromScan);
            worker.reportedAbsent = true;
            worker.seen = false;
            event.kind = EEvent::Absent;
            break;
        case EPassResult::Lost:
            s.state = EState::Failed;
            s.lastError = event.time;
            s.lastErrorText = report.cause;
            worker.seen = false;
            worker.reportedAbsent = false;
            event.kind = EEvent::Lost;
            emit = true;
            break;
        case EPassResult::Failed:
            s.state = EState::Failed;
            worker.seen = true;
            worker.reportedAbsent = false;
            break;
        case EPassResult::Stopped:
            break;
        default:
            s.state = EState::Waiting;
            worker.seen = true;
            worker.reportedAbsent = false;
            break;
        }
    }
    if (emit)
        Emit(event);
}

void CCollector::Run(SWorker& worker)
{
    CHost host(*this, worker);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            worker.state.state = EState::Collecting;
        }
        const SPassReport report = RunPass(worker.target, m_options.pass, host);
        Settle(worker, report);
        host.m_foundBefore = report.serial;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_options.once) {
            worker.passDone = true;
            break;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(m_options.intervalMs),
                           [&] { return m_stop.load() || worker.retired || worker.wake; });
        if (m_stop.load() || worker.retired)
            break;
        worker.wake = false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    worker.ended = true;
    m_changed.notify_all();
}

} // namespace Collect
