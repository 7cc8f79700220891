// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SignalCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>

#include <unistd.h>

namespace Platform {

namespace {

// The paths live in fixed buffers, so the handler reads them without
// allocating; a slot's flag says whether its path is valid.
constexpr int kSlots = 8;
struct SSlot {
    std::atomic<bool> armed{false};
    char path[PATH_MAX];
};
SSlot g_slots[kSlots];
std::mutex g_lock;
std::once_flag g_install;

extern "C" void OnEndSignal(int sig)
{
    for (SSlot& slot : g_slots)
        if (slot.armed.load())
            ::unlink(slot.path);
    std::signal(sig, SIG_DFL);
    ::raise(sig);
}

void Install()
{
    for (const int sig : {SIGINT, SIGTERM}) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL)
            continue;   // ignored or handled by the program: left as it is
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

} // namespace

bool RemoveOnSignal(const std::string& path)
{
    if (path.empty() || path.size() >= PATH_MAX)
        return false;
    std::call_once(g_install, Install);
    std::lock_guard<std::mutex> guard(g_lock);
    for (SSlot& slot : g_slots) {
        if (slot.armed.load())
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.armed.store(true);
        return true;
    }
    return false;
}

void ForgetOnSignal(const std::string& path)
{
    std::lock_guard<std::mutex> guard(g_lock);
    for (SSlot& slot : g_slots)
        if (slot.armed.load() && path == slot.path) {
            slot.armed.store(false);
            return;
        }
}

} // namespace Platform
