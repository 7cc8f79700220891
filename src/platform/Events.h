// SPDX-License-Identifier: GPL-3.0-or-later
// Manual-reset events: one for the threads of this process, and named ones
// shared between processes ("VovCloseEvent", "HidVov-Attach",
// "HidVov-Detach").
//
// A manual-reset event stays set until it is reset; Set releases every
// thread waiting at that moment, even when Reset follows at once.  Timeouts
// are in milliseconds; a negative timeout waits without limit.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace Platform {

inline constexpr int64_t kInfinite = -1;

// The named events of the stream library and the USB probe manager.
inline constexpr std::u16string_view kCloseEventName = u"VovCloseEvent";
inline constexpr std::u16string_view kProbeAttachEventName = u"HidVov-Attach";
inline constexpr std::u16string_view kProbeDetachEventName = u"HidVov-Detach";

class CManualResetEvent {
public:
    explicit CManualResetEvent(bool initialState = false);
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event was set (or became set) within the timeout.
    bool Wait(int64_t timeoutMs = kInfinite) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;
    bool m_set;
    uint64_t m_generation = 0;   // counts the Set calls that released waiters
};

// A manual-reset event in POSIX shared memory, found by its name by every
// process of the same user.  Like a named Windows event it lives while
// some process holds it: when the last holder closes it, or when every
// holder has ended without closing it, the next Create starts afresh in its
// initial state.
class CNamedEvent {
public:
    CNamedEvent() = default;
    ~CNamedEvent();
    CNamedEvent(const CNamedEvent&) = delete;
    CNamedEvent& operator=(const CNamedEvent&) = delete;

    // Creates the event, or opens it when it exists (its state is then kept
    // and `initialState` does not apply).  0 or a Win32 error number;
    // ERROR_INVALID_NAME for an empty or overlong name.
    uint32_t Create(std::u16string_view name, bool initialState = false);
    // Opens an existing event; ERROR_FILE_NOT_FOUND when there is none.
    uint32_t Open(std::u16string_view name);
    void Close();

    bool IsOpen() const { return m_block != nullptr; }
    // True when the last Create found the event already there.
    bool AlreadyExisted() const { return m_existed; }

    // False when the event is not open.
    bool Set();
    bool Reset();
    bool IsSet() const;
    bool Wait(int64_t timeoutMs = kInfinite) const;

    // The shared-memory object name of an event name: "/brelmora.<uid>." and
    // the name, with characters other than letters, digits, '-', '_' and
    // '.' replaced by '_'.
    static std::string SharedMemoryName(std::u16string_view name);

    struct Block;

private:
    uint32_t Attach(std::u16string_view name, bool create, bool initialState);

    Block* m_block = nullptr;
    int m_fd = -1;
    int m_slot = -1;   // this handle's entry in the holder table, -1 when none
    bool m_existed = false;
    std::string m_shmName;
};

} // namespace Platform
