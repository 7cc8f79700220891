// SPDX-License-Identifier: GPL-3.0-or-later
// The device thread: one background worker that runs queued device jobs
// (searching for instruments, waiting for one to come back) and reports
// through each job's CCallback.
//
// Stopping never kills the thread.  A stop or an abort sets the abort flag;
// every exchange that runs on the device thread polls it between slices of
// at most 100 ms of waiting (see CVnCommands), and the search polls it
// between ports, so a job in progress ends within a fraction of a second and
// the thread leaves its loop cleanly.  Exchanges run by other threads (the
// user interface's transfers on a device handed over by a search) are not
// affected by the flag.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device/DeviceTypes.h"

namespace Device {

class CCallback;

// Job kinds of SJobEntry.
enum : int32_t {
    JOB_SEARCH = 1,
    JOB_PROGRAM = 2,
    JOB_PROGRAM_ALT = 3,
    JOB_RECONNECT = 4,
};

struct SSearchParams {
    NTypes deviceType = 0;
    NPorts portKind = PORT_NONE;
    bool scanAllComPorts = false;
    bool stopAtFirstFound = false;
    uint32_t comPort = 1;          // used when not scanning
    uint32_t skipComPort = 0;      // skipped while scanning; 0 = none
    std::u16string ipAddress;
    std::u16string serialNumber;   // the instrument a reconnection waits for
    int32_t reconnectTimeoutMs = 0; // below 1: search; 1 or more: reconnect
};

struct SJobEntry {
    int32_t kind = JOB_SEARCH;
    CCallback* callback = nullptr;
    SSearchParams params;
};

// The time StopDeviceThread waits for the thread to end.
constexpr int kStopTimeoutMs = 2000;

// Clears the job list, creates the three events (once) and the thread.
// True when the events exist.
bool StartDeviceThread();

// Queues a job (search, or reconnect when the timeout is 1 ms or more) and
// wakes the thread, creating it if needed.  False when an argument is null.
bool EnqueueJob(CCallback* callback, const SSearchParams* params);

// Sets the abort flag.  With ms > 0, waits up to ms for the thread to become
// idle; returns true when it is idle (or there is no thread).
bool AbortJobs(int ms);

void ClearAbort();
bool IsAbortRequested();

// Asks the thread to quit, waits up to kStopTimeoutMs for it and joins it.
// Returns true when the thread ended in time (it is then joined); when it
// did not, it is left to finish on its own (detached) rather than killed.
bool StopDeviceThread();

// Number of jobs still queued.
size_t GetQueuedJobCount();

// Removes the queued jobs that report to `callback` (a running job is not
// touched: abort it with AbortJobs).  A receiver that goes away calls this
// first, so no job it left in the queue can call it later.  Returns how many.
size_t RemoveJobs(const CCallback* callback);

// The abort hook given to the commands of every attached device: true when
// the calling thread is the device thread and a stop or abort is pending.
bool DeviceThreadAbortHook(void* user);

// True when called on the device thread.
bool IsDeviceThread();

} // namespace Device
