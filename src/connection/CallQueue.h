// SPDX-License-Identifier: GPL-3.0-or-later
// CCallQueue: calls posted from any thread, run in order on the thread that
// drains the queue.  The command line and the tests give the connection
// wizard this queue's poster as its "post to my thread" function (the
// desktop program gives it a queued Qt call instead).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

class CCallQueue {
public:
    using Call = std::function<void()>;

    // Queues `call` (any thread).
    void Post(Call call);
    // A post function bound to this queue; the queue must outlive it.
    std::function<void(Call)> Poster();

    // Runs the calls queued now, in order, on the calling thread (calls they
    // post wait for the next drain).  Returns how many ran.
    size_t RunPending();
    // Waits up to `timeoutMs` for a call, then runs what is queued.  False
    // when none came in time.
    bool WaitAndRun(int timeoutMs);
    size_t GetQueuedCount() const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<Call> m_calls;
};
