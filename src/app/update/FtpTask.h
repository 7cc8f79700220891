// SPDX-License-Identifier: GPL-3.0-or-later
// One blocking FTP step of the update wizard (connecting, searching,
// opening the download) on a thread of its own, so the wizard's window
// stays responsive; its end is handed back to the user-interface thread as
// a queued call.  The link the step uses is cancelled from the UI thread
// and the thread always ends by itself: it is never killed.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <thread>

class CFtpTask {
public:
    CFtpTask() = default;
    // Waits for a step still running (its link must have been cancelled).
    ~CFtpTask() { Wait(); }
    CFtpTask(const CFtpTask&) = delete;
    CFtpTask& operator=(const CFtpTask&) = delete;

    // Runs `work` on the task's thread, then `done(result)` on the thread of
    // `receiver` (not at all when the receiver is gone by then).
    void Run(QObject* receiver, std::function<bool()> work, std::function<void(bool)> done);
    // Waits for the thread to end.
    void Wait();
    bool IsBusy() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
};
