// SPDX-License-Identifier: GPL-3.0-or-later
// The steps every front end takes to look for a newer installer: the
// wizard's connect (an answering connection is used again), the search of
// the update folder, and the quiet background check that the desktop
// program runs at start-up on a thread of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "update/FtpLink.h"
#include "update/UpdateSelection.h"

namespace Update {

// Uses the link's connection when it still answers, else connects to the
// program's update folder with the account.
bool ConnectForUpdate(CFtpLink& link, const SProgramIdentity& program);

// Lists the connected folder ("*", read afresh) and picks the newest
// installer above the program's version.  False when the listing failed.
bool SearchInstaller(CFtpLink& link, const SProgramIdentity& program, SInstallerChoice& choice);

class CUpdateCheck {
public:
    // The packed version of the newest installer, 0 when none is newer.
    using Report = std::function<void(uint32_t messageId, uint64_t packedVersion)>;

    CUpdateCheck(SProgramIdentity program, SFtpServer server);
    // Cancels a check still running and waits for its thread.
    ~CUpdateCheck();
    CUpdateCheck(const CUpdateCheck&) = delete;
    CUpdateCheck& operator=(const CUpdateCheck&) = delete;

    void SetTimeouts(const SFtpTimeouts& timeouts) { m_link.SetTimeouts(timeouts); }

    // Starts the check on a new thread; the report comes from that thread,
    // only when the server was reached.  False when a check runs already or
    // the thread could not be made.
    bool Start(uint32_t messageId, Report report);
    // Ends a running check at its next wait and waits for the thread.
    void Stop();
    bool IsRunning() const { return m_running; }

private:
    void Run(uint32_t messageId, Report report);

    SProgramIdentity m_program;
    CFtpLink m_link;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

} // namespace Update
