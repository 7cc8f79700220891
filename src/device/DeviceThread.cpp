// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceThread.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "device/Callback.h"
#include "device/DeviceStrings.h"
#include "device/SearchJobs.h"
#include "platform/Events.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Device {

namespace {

// The process-wide state of the device thread.  It is never destroyed: a
// thread that did not stop in time may still be finishing its job while the
// process exits.
struct SThreadState {
    std::mutex lock;                      // guards jobs, abort and thread
    std::deque<SJobEntry> jobs;
    bool abort = false;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<uint64_t> generation{0};  // a new thread gets a new number

    // Created by StartDeviceThread (once).
    Platform::CManualResetEvent* quit = nullptr;
    Platform::CManualResetEvent* work = nullptr;
    Platform::CManualResetEvent* idle = nullptr;
};

SThreadState& State()
{
    static SThreadState* state = new SThreadState;
    return *state;
}

// Set on the device thread: the generation it belongs to.
thread_local uint64_t t_generation = 0;

void EnsureEvents(SThreadState& s)
{
    if (s.quit == nullptr) {
        s.quit = new Platform::CManualResetEvent(false);
        s.work = new Platform::CManualResetEvent(false);
        s.idle = new Platform::CManualResetEvent(true);
    }
}

bool ReadAbort(SThreadState& s)
{
    std::lock_guard<std::mutex> guard(s.lock);
    return s.abort;
}

void RunJob(const SJobEntry& job)
{
    switch (job.kind) {
    case JOB_SEARCH:
        JobSearch(*job.callback, job.params);
        break;
    case JOB_RECONNECT:
        JobReconnect(*job.callback, job.params);
        break;
    default:
        // Program jobs are not part of this program.
        job.callback->OnFinished(Platform::LoadString(IDS_NO_PROGRAMMING), 4);
        break;
    }
}

// The loop of the device thread.  Returns 0 when asked to quit, 2 when a job
// ended it with an exception.
int ThreadMain(uint64_t generation)
{
    SThreadState& s = State();
    t_generation = generation;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.abort = false;
        }
        s.idle->Set();
        // Quit also sets work, so one wait covers both.
        s.work->Wait();
        s.idle->Reset();
        if (s.quit->IsSet() || s.generation.load() != generation)
            return 0;
        s.work->Reset();

        size_t count = 0;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            count = s.jobs.size();
        }
        while (count > 0) {
            SJobEntry job;
            {
                std::lock_guard<std::mutex> guard(s.lock);
                if (s.abort || s.jobs.empty())
                    break;
                job = std::move(s.jobs.front());
                s.jobs.pop_front();
            }
            try {
                RunJob(job);
            } catch (...) {
                const std::u16string text = Platform::LoadString(IDS_THREAD_EXCEPTION);
                std::fprintf(stderr, "%s: %s\n", Platform::ToUtf8(Platform::LoadString(IDS_THREAD_SOURCE)).c_str(),
                             Platform::ToUtf8(text).c_str());
                try {
                    job.callback->OnFinished(text, 0xFFFFFFFFu);
                } catch (...) {
                }
                return 2;
            }
            std::lock_guard<std::mutex> guard(s.lock);
            if (s.abort)
                break;
            count = s.jobs.size();
        }
    }
}

void ThreadEntry(uint64_t generation)
{
    SThreadState& s = State();
    ThreadMain(generation);
    if (s.generation.load() == generation) {
        s.running = false;
        s.idle->Set();
    }
}

// Creates the thread when none runs.  Called with the lock held.
void CreateThreadLocked(SThreadState& s)
{
    if (s.running)
        return;
    if (s.thread.joinable())
        s.thread.join();
    const uint64_t generation = ++s.generation;
    s.running = true;
    s.idle->Reset();
    s.thread = std::thread(ThreadEntry, generation);
}

} // namespace

bool StartDeviceThread()
{
    SThreadState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.jobs.clear();
    EnsureEvents(s);
    s.quit->Reset();
    s.work->Reset();
    s.idle->Set();
    CreateThreadLocked(s);
    return s.quit != nullptr && s.work != nullptr && s.idle != nullptr;
}

bool EnqueueJob(CCallback* callback, const SSearchParams* params)
{
    if (callback == nullptr || params == nullptr)
        return false;
    SThreadState& s = State();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        EnsureEvents(s);
        if (!s.running)
            s.quit->Reset();
        CreateThreadLocked(s);
        SJobEntry job;
        job.kind = params->reconnectTimeoutMs < 1 ? JOB_SEARCH : JOB_RECONNECT;
        job.callback = callback;
        job.params = *params;
        s.jobs.push_back(std::move(job));
    }
    s.work->Set();
    return true;
}

bool AbortJobs(int ms)
{
    SThreadState& s = State();
    bool running = false;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.abort = true;
        running = s.running;
    }
    if (ms <= 0 || !running || s.idle == nullptr)
        return true;
    // The job notices the flag within a slice; nothing is killed.
    return s.idle->Wait(ms);
}

void ClearAbort()
{
    SThreadState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.abort = false;
}

bool IsAbortRequested()
{
    return ReadAbort(State());
}

bool StopDeviceThread()
{
    SThreadState& s = State();
    std::thread thread;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.quit == nullptr)
            return true;
        s.abort = true;
        s.quit->Set();
        s.work->Set();
        thread = std::move(s.thread);
    }
    if (!thread.joinable())
        return true;
    // Wait for the loop to end; the thread then only returns.
    bool ended = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
    while (s.running) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ended = false;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (ended) {
        thread.join();
    } else {
        // Still busy: let it finish on its own; it quits at its next check.
        // A new thread started later gets a new generation, which the old
        // one treats as a request to quit.
        std::lock_guard<std::mutex> guard(s.lock);
        ++s.generation;
        s.running = false;
        thread.detach();
    }
    std::lock_guard<std::mutex> guard(s.lock);
    s.jobs.clear();
    return ended;
}

size_t GetQueuedJobCount()
{
    SThreadState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.jobs.size();
}

size_t RemoveJobs(const CCallback* callback)
{
    SThreadState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const size_t before = s.jobs.size();
    std::erase_if(s.jobs, [callback](const SJobEntry& job) { return job.callback == callback; });
    return before - s.jobs.size();
}

bool IsDeviceThread()
{
    return t_generation != 0;
}

bool DeviceThreadAbortHook(void*)
{
    if (t_generation == 0)
        return false;
    SThreadState& s = State();
    if (s.generation.load() != t_generation || (s.quit != nullptr && s.quit->IsSet()))
        return true;
    return ReadAbort(s);
}

} // namespace Device
