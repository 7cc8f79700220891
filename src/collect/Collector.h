// SPDX-License-Identifier: GPL-3.0-or-later
// CCollector: one worker thread per target, each running passes (see
// CollectPass.h) one after another with the interval between them, so a
// silent, trickling or unplugged instrument delays nobody else.  A worker is
// woken early when its device file appears (WakeDevice) or on request.
//
// Events reach the listener one at a time, from the workers' threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "collect/CollectEvents.h"
#include "collect/CollectPass.h"
#include "collect/CollectTarget.h"

namespace Collect {

struct SCollectorOptions {
    SPassOptions pass;
    int intervalMs = 60000;   // between the end of a pass and the next one
    bool once = false;        // one pass per target, then the worker ends
};

class CCollector {
public:
    CCollector(const SCollectorOptions& options, ICollectListener& listener);
    // Stops every worker and waits for them.
    ~CCollector();
    CCollector(const CCollector&) = delete;
    CCollector& operator=(const CCollector&) = delete;

    // Starts a worker for `target` unless one of the same name runs.
    void Add(const SCollectTarget& target);
    // The worker of that name ends after its pass.
    void Remove(const std::string& name);
    std::vector<std::string> TargetNames() const;

    // The next pass of that worker (or of every one) starts now.
    void Wake(const std::string& name);
    void WakeAll();
    // Wakes the serial workers whose COM port's device file is `path`.
    void WakeDevice(const std::string& path);

    // Once mode: true when every worker has run its pass.
    bool AllDone() const;

    // Every exchange under way ends (within 100 ms), no new pass starts; a
    // sink transaction, a project file or a delete under way completes.
    void RequestStop();
    bool StopRequested() const { return m_stop.load(); }
    // After RequestStop: waits until every worker ended, or until `graceMs`
    // passed and none is inside a step that must complete.  True when all
    // ended.  False: the rest are left running and the caller must end the
    // process without destroying the collector (they only wait on a line).
    bool Finish(int graceMs);

    std::vector<SInstrumentState> Snapshot() const;

private:
    struct SWorker;
    class CHost;

    void Run(SWorker& worker);
    void Emit(const SEvent& event);
    void Settle(SWorker& worker, const SPassReport& report);

    SCollectorOptions m_options;
    ICollectListener& m_listener;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::list<std::unique_ptr<SWorker>> m_workers;
    std::mutex m_eventMutex;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_critical{0};
    bool m_abandoned = false;
};

} // namespace Collect
