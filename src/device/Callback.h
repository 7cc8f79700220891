// SPDX-License-Identifier: GPL-3.0-or-later
// CCallback: the receiver of a device job's notifications (device found,
// status lines, end of job, progress).  Calls arrive on the thread that runs
// the job (the device thread for searches); the receiver forwards them to its
// own thread as it needs.  Set on a device (SetCallback), the receiver also
// follows that device's transfers and may cancel them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Device {

class CVnDevice;

class CCallback {
public:
    virtual ~CCallback() = default;

    // A search found a matching instrument; the receiver takes ownership.
    // Null: the job ended without (another) one.
    virtual void OnDeviceFound(std::unique_ptr<CVnDevice> device) = 0;
    // One line of status.
    virtual void OnStatusText(const std::u16string& text) = 0;
    // A job ended with a message and a code.
    virtual void OnFinished(const std::u16string& text, uint32_t code) = 0;
    // Position in percent; phase 1 or 2; a non-zero expectedMs announces a
    // wait of that many milliseconds.  Only called when progressEnabled.
    virtual void OnProgress(int position, int phase, int expectedMs) = 0;
    // Bytes of a long answer received so far of the `total` the instrument
    // announced (data and checksum), after every piece read.  Only called
    // when progressEnabled.
    virtual void OnTransferProgress(uint32_t received, uint32_t total) {}
    // Asked between the waits of every exchange of the device the receiver
    // is set on (at least every 100 ms while one blocks): true ends the
    // exchange as cancelled.  Asked on the thread running the exchange.
    virtual bool IsCancelRequested() { return false; }

    bool progressEnabled = true;
};

} // namespace Device
