// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide table of open streams.
//
// Every CIoStream registers itself on construction and gets an id made of its
// table index (low 10 bits) and a sequence number (high 22 bits), so an id
// whose slot was reused by a later stream is no longer found.  At most 1024
// streams are registered; further streams get id 0 and stay unregistered.
//
// The process table is created on first use and never destroyed, so streams
// that are static objects (constructed before Initialize, destroyed after
// Shutdown or after other statics) never touch a freed lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace StreamIO {

class CIoStream;

class CStreamTable {
public:
    static constexpr uint32_t kMaxEntries = 1024;
    static constexpr uint32_t kIndexMask = 0x3FF;
    static constexpr uint32_t kSequenceMask = 0xFFFFFC00;
    static constexpr uint32_t kSequenceStep = 0x400;

    explicit CStreamTable(uint32_t firstSequence = kSequenceStep);

    CStreamTable(const CStreamTable&) = delete;
    CStreamTable& operator=(const CStreamTable&) = delete;

    // Stores the stream at the lowest free index and returns its id, or 0
    // when all 1024 entries are taken.  The table never dereferences it here.
    uint32_t Register(CIoStream* stream);

    // Empties the entry of `id` if it still holds `stream`.
    void Unregister(const CIoStream* stream, uint32_t id);

    // The stream registered under exactly this id, or null.
    CIoStream* Find(uint32_t id);

    // Number of registered streams.
    size_t Count();

    // Under the lock: calls `each` for every registered stream, empties the
    // table, then runs `whileLocked` (library clean-up that must not overlap
    // with registrations).  `each` and `whileLocked` must not call back into
    // this table: the lock is not recursive.
    void DrainLocked(const std::function<void(CIoStream*)>& each, const std::function<void()>& whileLocked);

    // The table every CIoStream registers in.
    static CStreamTable& Process();

private:
    struct Entry {
        CIoStream* stream = nullptr;
        uint32_t id = 0;
    };

    std::mutex m_lock;
    std::vector<Entry> m_entries;   // grows on demand up to kMaxEntries
    uint32_t m_sequence;
};

} // namespace StreamIO
