// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Events.h"

#include <chrono>

namespace Platform {

namespace {

// Longer timeouts than a Win32 wait can express count as waiting forever.
constexpr int64_t kLongestTimeout = 0xFFFFFFFELL;

} // namespace

CManualResetEvent::CManualResetEvent(bool initialState) : m_set(initialState) {}

void CManualResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_set)
            return;
        m_set = true;
        ++m_generation;
    }
    m_cond.notify_all();
}

void CManualResetEvent::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool CManualResetEvent::IsSet() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_set;
}

bool CManualResetEvent::Wait(int64_t timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t start = m_generation;
    // A Set during the wait releases the waiter even if Reset came before it woke.
    const auto released = [&] { return m_set || m_generation != start; };
    if (timeoutMs < 0 || timeoutMs > kLongestTimeout) {
        m_cond.wait(lock, released);
        return true;
    }
    return m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), released);
}

} // namespace Platform
