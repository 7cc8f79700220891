// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/CallQueue.h"

#include <chrono>
#include <utility>

void CCallQueue::Post(Call call)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back(std::move(call));
    }
    m_posted.notify_all();
}

std::function<void(CCallQueue::Call)> CCallQueue::Poster()
{
    return [this](Call call) { Post(std::move(call)); };
}

size_t CCallQueue::RunPending()
{
    std::deque<Call> calls;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        calls.swap(m_calls);
    }
    for (Call& call : calls) {
        if (call)
            call();
    }
    return calls.size();
}

bool CCallQueue::WaitAndRun(int timeoutMs)
{
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (!m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_calls.empty(); }))
            return false;
    }
    RunPending();
    return true;
}

size_t CCallQueue::GetQueuedCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_calls.size();
}
