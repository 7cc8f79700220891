// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/ram/RamFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "streamio/IoStream.h"

namespace StreamIO {

namespace {

constexpr uint64_t kMaxSize = 0xFFFFFFFFu;

} // namespace

CRamFile::CRamFile(uint32_t openFlags)
    : m_flags(openFlags & kCreationFlagsMask)
{
}

CRamFile::~CRamFile()
{
    std::free(m_buffer);
}

bool CRamFile::IsFifo() const
{
    return (m_flags.load() & SF_FIFO) != 0;
}

bool CRamFile::HasShareFlags() const
{
    return (m_flags.load() & (SF_SHARE_READ | SF_SHARE_WRITE)) != 0;
}

uint32_t CRamFile::GetFlags() const
{
    return m_flags.load();
}

uint32_t CRamFile::GetCapacity()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_capacity;
}

void CRamFile::SetMarks(uint32_t marks)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_flags.fetch_or(marks);
}

void CRamFile::ClearMarks(uint32_t marks)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_flags.fetch_and(~marks);
}

uint32_t CRamFile::LengthLocked() const
{
    if (m_end >= m_start)
        return m_end - m_start;
    return m_capacity - m_start + m_end;
}

uint32_t CRamFile::GetLength()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return LengthLocked();
}

void CRamFile::FreeLocked()
{
    std::free(m_buffer);
    m_buffer = nullptr;
    m_capacity = 0;
    m_start = 0;
    m_end = 0;
}

void CRamFile::GrowLocked(uint64_t request)
{
    if (request <= m_capacity)
        return;
    const uint64_t steps = (request - m_capacity + m_growStep - 1) / m_growStep;
    const uint64_t wanted = m_capacity + steps * m_growStep;
    if (wanted > kMaxSize)
        throw std::bad_alloc();
    const uint32_t capacity = static_cast<uint32_t>(wanted);
    const uint32_t length = LengthLocked();

    uint8_t* buffer = nullptr;
    if (m_start == 0 && m_end >= m_start) {
        // The data already starts at the buffer: grow in place.
        buffer = static_cast<uint8_t*>(std::realloc(m_buffer, capacity));
        if (buffer == nullptr)
            throw std::bad_alloc();
    } else {
        buffer = static_cast<uint8_t*>(std::malloc(capacity));
        if (buffer == nullptr)
            throw std::bad_alloc();
        if (m_end < m_start) {
            // A wrapped ring: the piece up to the end of the allocation,
            // then the piece at the buffer's beginning.
            const uint32_t first = m_capacity - m_start;
            std::memcpy(buffer, m_buffer + m_start, first);
            std::memcpy(buffer + first, m_buffer, m_end);
        } else if (length != 0) {
            std::memcpy(buffer, m_buffer + m_start, length);
        }
        std::free(m_buffer);
    }
    m_buffer = buffer;
    m_capacity = capacity;
    m_start = 0;
    m_end = length;
}

uint32_t CRamFile::ReadAt(uint32_t pos, void* buffer, uint32_t count, bool& detached)
{
    std::lock_guard<std::mutex> guard(m_lock);
    detached = m_detached;
    const uint32_t length = LengthLocked();
    if (m_detached || pos >= length)
        return 0;
    const uint32_t n = std::min(count, length - pos);
    if (n != 0)
        std::memcpy(buffer, m_buffer + m_start + pos, n);
    return n;
}

bool CRamFile::WriteAt(uint32_t pos, const void* buffer, uint32_t count, bool& detached)
{
    std::lock_guard<std::mutex> guard(m_lock);
    detached = m_detached;
    if (m_detached)
        return false;
    const uint64_t end = static_cast<uint64_t>(pos) + count;
    if (end > kMaxSize)
        return false;
    GrowLocked(end);
    // Bytes between the old end and a position set beyond it read as zero.
    if (pos > m_end)
        std::memset(m_buffer + m_end, 0, pos - m_end);
    if (count != 0)
        std::memcpy(m_buffer + pos, buffer, count);
    if (end > m_end)
        m_end = static_cast<uint32_t>(end);
    return true;
}

void CRamFile::SetLength(uint32_t length, bool& detached)
{
    std::lock_guard<std::mutex> guard(m_lock);
    detached = m_detached;
    if (m_detached)
        return;
    if (IsFifo()) {
        // Only emptying has a meaning for a ring.
        if (length == 0)
            FreeLocked();
        return;
    }
    if (length == 0) {
        FreeLocked();
        return;
    }
    GrowLocked(length);
    if (length > m_end)
        std::memset(m_buffer + m_end, 0, length - m_end);
    m_end = length;
}

uint32_t CRamFile::Pop(void* buffer, uint32_t count, bool& detached)
{
    std::lock_guard<std::mutex> guard(m_lock);
    detached = m_detached;
    if (m_detached)
        return 0;
    const uint32_t n = std::min(count, LengthLocked());
    if (n == 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    const uint32_t first = std::min(n, m_capacity - m_start);
    std::memcpy(out, m_buffer + m_start, first);
    if (n > first)
        std::memcpy(out + first, m_buffer, n - first);
    m_start = (m_start + n) % m_capacity;
    return n;
}

bool CRamFile::Push(const void* buffer, uint32_t count, bool& detached)
{
    std::lock_guard<std::mutex> guard(m_lock);
    detached = m_detached;
    if (m_detached)
        return false;
    const uint64_t request = static_cast<uint64_t>(LengthLocked()) + count + 1;
    if (request > kMaxSize)
        return false;
    GrowLocked(request);
    if (count == 0)
        return true;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    const uint32_t first = std::min(count, m_capacity - m_end);
    std::memcpy(m_buffer + m_end, in, first);
    if (count > first)
        std::memcpy(m_buffer, in + first, count - first);
    m_end = static_cast<uint32_t>((static_cast<uint64_t>(m_end) + count) % m_capacity);
    return true;
}

void CRamFile::Reserve(uint32_t bytes, bool& detached)
{
    std::lock_guard<std::mutex> guard(m_lock);
    detached = m_detached;
    if (!m_detached)
        GrowLocked(bytes);
}

void CRamFile::Free()
{
    std::lock_guard<std::mutex> guard(m_lock);
    FreeLocked();
}

void CRamFile::Detach()
{
    std::lock_guard<std::mutex> guard(m_lock);
    FreeLocked();
    m_detached = true;
}

bool CRamFile::IsDetached()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_detached;
}

} // namespace StreamIO
