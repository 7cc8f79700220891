// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/StreamTable.h"

namespace StreamIO {

CStreamTable::CStreamTable(uint32_t firstSequence)
    : m_sequence(firstSequence)
{
}

uint32_t CStreamTable::Register(CIoStream* stream)
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t index = 0;
    while (index < m_entries.size() && m_entries[index].stream != nullptr)
        ++index;
    if (index >= kMaxEntries)
        return 0;
    if (index == m_entries.size())
        m_entries.emplace_back();
    const uint32_t id = static_cast<uint32_t>(index) | (m_sequence & kSequenceMask);
    m_entries[index] = Entry{stream, id};
    m_sequence = m_sequence >= kSequenceMask ? kSequenceStep : m_sequence + kSequenceStep;
    return id;
}

void CStreamTable::Unregister(const CIoStream* stream, uint32_t id)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const size_t index = id & kIndexMask;
    if (index < m_entries.size() && m_entries[index].stream == stream) {
        m_entries[index] = Entry{};
        // Drop empty entries at the end so the array shrinks back.
        while (!m_entries.empty() && m_entries.back().stream == nullptr)
            m_entries.pop_back();
    }
}

CIoStream* CStreamTable::Find(uint32_t id)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const size_t index = id & kIndexMask;
    if (index < m_entries.size() && m_entries[index].stream != nullptr && m_entries[index].id == id)
        return m_entries[index].stream;
    return nullptr;
}

size_t CStreamTable::Count()
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    for (const Entry& e : m_entries)
        n += e.stream != nullptr ? 1 : 0;
    return n;
}

void CStreamTable::DrainLocked(const std::function<void(CIoStream*)>& each, const std::function<void()>& whileLocked)
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (const Entry& e : m_entries) {
        if (e.stream != nullptr && each)
            each(e.stream);
    }
    m_entries.clear();
    m_entries.shrink_to_fit();
    if (whileLocked)
        whileLocked();
}

CStreamTable& CStreamTable::Process()
{
    // Deliberately never destroyed: streams may outlive every other static.
    static CStreamTable* table = new CStreamTable();
    return *table;
}

} // namespace StreamIO
