// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StopRequest.h"

#include <atomic>
#include <csignal>

namespace Platform {

namespace {

std::atomic<bool> g_stop{false};

} // namespace

void RequestStop()
{
    g_stop.store(true, std::memory_order_relaxed);
}

bool StopRequested()
{
    if (g_stop.load(std::memory_order_relaxed))
        return true;
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0)
        return false;
    return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1;
}

} // namespace Platform
