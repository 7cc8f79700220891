// SPDX-License-Identifier: GPL-3.0-or-later
// CUsbHostProbeManager: shares one device of a HID probe between its two
// users, the control stream and the data stream, and counts them; the
// device is opened by the first user and closed after the last.  It also
// waits for the named events "VovCloseEvent" (set by StreamIO::Shutdown),
// "HidVov-Attach" and "HidVov-Detach" (set from outside the program).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "streamio/usb/UsbTransport.h"

namespace StreamIO {

enum : uint32_t {
    PROBE_CONTROL = 1,
    PROBE_DATA = 2,
};

// Answers of WaitForEvent.
enum : uint8_t {
    PROBE_EVENT_TIMEOUT = 1,
    PROBE_EVENT_ATTACHED = 2,
    PROBE_EVENT_DETACHED = 4,
    PROBE_EVENT_CLOSING = 8,
};

struct SProbeEventNames {
    std::u16string close{Platform::kCloseEventName};
    std::u16string attach{Platform::kProbeAttachEventName};
    std::u16string detach{Platform::kProbeDetachEventName};
};

class CUsbHostProbeManager {
public:
    // `opener` opens a probe's device (hidraw when not given); the events
    // are created (or opened) and reset.
    explicit CUsbHostProbeManager(HidOpener opener = {}, SProbeEventNames names = {});
    virtual ~CUsbHostProbeManager();                                                              // 2

    CUsbHostProbeManager(const CUsbHostProbeManager&) = delete;
    CUsbHostProbeManager& operator=(const CUsbHostProbeManager&) = delete;

    // The process's manager, made with the first probe stream.
    static CUsbHostProbeManager& Process();
    // True once Process() made the manager.
    static bool ProcessExists();

    // Waits up to `timeoutMs` for one of the events: 8 closing, 2 attached,
    // 4 detached, 1 time-out or failure.  An attach or detach event is reset
    // only by a sole waiter.  `index` is set to 0.
    virtual uint8_t WaitForEvent(unsigned& index, unsigned timeoutMs);                            // 0
    // The device that `path` has open for `kind` (1 control, 2 data), or
    // null.  `index` is the entry of the path, 0xFFFF when none has it.
    virtual std::shared_ptr<IHidDevice> FindDevice(const std::u16string& path, uint32_t kind,
                                                   unsigned& index);                              // 1
    // 50 when the kind is in use on the path; opens the device for the first
    // user (a failure is thrown as a file exception with the path).
    virtual uint32_t OpenDevice(const std::u16string& path, uint32_t kind, std::shared_ptr<IHidDevice>& out); // 3
    // The user of `kind` is gone; the device is closed after the last one (a
    // failed close is thrown).
    virtual void CloseDevice(const std::u16string& path, uint32_t kind);                          // 4

    size_t DeviceCount() const;
    Platform::CNamedEvent& CloseEvent() { return m_close; }

private:
    struct SDeviceData {
        std::u16string path;
        std::shared_ptr<IHidDevice> device;
        uint32_t controlUsers = 0;
        uint32_t dataUsers = 0;
    };

    HidOpener m_opener;
    mutable std::mutex m_lock;
    std::vector<SDeviceData> m_table;
    std::atomic<int> m_waiters{0};
    Platform::CNamedEvent m_close;
    Platform::CNamedEvent m_attach;
    Platform::CNamedEvent m_detach;
};

} // namespace StreamIO
