// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated Veltrano in process: serves one line on a thread of its own
// and stops cleanly on request.  Used by the tests, the demo mode and the
// veltrano-sim program.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Instrument.h"
#include "LineServer.h"
#include "PtyPair.h"

namespace Sim {

class CVeltranoSimulator {
public:
    explicit CVeltranoSimulator(std::shared_ptr<CInstrument> instrument, SLineOptions options = {});
    ~CVeltranoSimulator();

    CVeltranoSimulator(const CVeltranoSimulator&) = delete;
    CVeltranoSimulator& operator=(const CVeltranoSimulator&) = delete;

    // Serves `fd` (ownership passes: it is closed when the service ends).
    // False when a service is already running.
    bool Serve(int fd);

    // Creates a raw pseudo-terminal, serves its master and returns the slave
    // path for the program to open; empty (with `error`) on failure.
    std::string ServePty(std::string* error = nullptr);

    // Ends the service and waits for its thread; the line is closed.
    void Stop();

    bool IsRunning() const;
    // Waits up to `ms` for the service to end by itself; true when it has.
    bool WaitForEnd(int ms);
    // Why the last service ended (valid once it is no longer running).
    EEndReason GetEndReason() const;

    CInstrument& Instrument() { return *m_instrument; }
    const std::string& GetSlavePath() const { return m_pty.slavePath; }

private:
    bool Start(int fd, int drainFd);
    void Run(int fd, int drainFd);
    void Join();

    std::shared_ptr<CInstrument> m_instrument;
    SLineOptions m_options;
    std::thread m_thread;
    int m_stop[2] = {-1, -1};
    SPtyPair m_pty;
    int m_fd = -1;
    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false;
    EEndReason m_reason = EEndReason::Stopped;
};

} // namespace Sim
