// SPDX-License-Identifier: GPL-3.0-or-later
// The seam between the connection driver and the firmware check: after each
// new connection the driver starts the reminder with the connected device;
// the reminder reports what it found to the front end (the main window in
// the desktop program, standard output in the command line).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Device {
class CVnDevice;
}

// Where the firmware check reports.  Both calls may come from the check's
// own thread; the front end hands them to its user-interface thread.
class IFirmwareReport {
public:
    virtual ~IFirmwareReport() = default;
    // The newest version of a kind found on the server, packed as CVersion
    // packs it (0: nothing newer).  messageId is the id the check was
    // started with (1042 for firmware in the desktop program).
    virtual void OnVersionFound(uint32_t messageId, uint64_t packedVersion) = 0;
    // The reminder to connect the PC to the Internet (message 22032, filled
    // in), shown with the information icon.
    virtual void OnReminder(const std::u16string& text) = 0;
};

// The firmware check as the driver sees it.
class IFirmwareReminder {
public:
    virtual ~IFirmwareReminder() = default;
    // Reads what it needs from the device on the caller's thread, then
    // checks in the background.  False when the device could not be read.
    virtual bool StartFirmwareCheck(Device::CVnDevice& device, uint32_t firmwareMessageId, uint32_t osMessageId) = 0;
};

// Makes the reminder for a report target.
using FirmwareReminderFactory = std::function<std::unique_ptr<IFirmwareReminder>(IFirmwareReport* report)>;
