// SPDX-License-Identifier: GPL-3.0-or-later
// CFirmwareCheck: after a new connection, looks on the download server for
// firmware (and operating systems) newer than what the instrument has
// installed.  What it needs from the instrument is read on the caller's
// thread; the server is asked on a thread of the check's own, which reports
// through IFirmwareReport.  Checks that cannot reach the server are counted
// in the registry, and after too many in a row the user is reminded to
// connect the PC to the Internet.
//
// The connection driver makes one for the main window (through a
// FirmwareReminderFactory) and starts it after each new connection:
//
//   reminder = std::make_unique<CFirmwareCheck>(report);
//   reminder->StartFirmwareCheck(device, 1042, 0);
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "connection/FirmwareCounters.h"
#include "connection/FirmwareReminder.h"
#include "device/Contents.h"
#include "device/DeviceTypes.h"
#include "update/FtpLink.h"
#include "update/UpdateSelection.h"

// What one check found.
struct SFirmwareCheckResult {
    bool reachedServer = false;
    // The server was reached but has no folder for this hardware: nothing
    // is published for it.
    bool folderMissing = false;
    bool listed = false;             // the packages could be listed
    std::u16string errorText;        // why the server was not reached or listed
    CVersion newestFirmware;         // 0: nothing newer
    CVersion newestOs;
    bool reminderDue = false;
    std::u16string reminderText;     // 22032, filled in
    Connection::SFirmwareCounters counters;   // as written afterwards
};

class CFirmwareCheck : public IFirmwareReminder {
public:
    // The configured server and this program's identity.
    explicit CFirmwareCheck(IFirmwareReport* report);
    CFirmwareCheck(IFirmwareReport* report, Update::SProgramIdentity program, Update::SFtpServer server);
    // Cancels a check still running and waits for its thread.
    ~CFirmwareCheck() override;

    // Ends the previous check, reads the instrument (identification,
    // installed versions, hardware id) and starts the check's thread.
    bool StartFirmwareCheck(Device::CVnDevice& device, uint32_t firmwareMessageId, uint32_t osMessageId) override;

    // The two halves of StartFirmwareCheck, for a front end that checks in
    // the foreground: reading the instrument, then the check itself (which
    // also reports).
    bool ReadDevice(Device::CVnDevice& device);
    SFirmwareCheckResult RunCheck();

    // Ends a running check at its next wait and waits for the thread.
    void Stop();

    void SetTimeouts(const Update::SFtpTimeouts& timeouts) { m_link.SetTimeouts(timeouts); }

    uint32_t GetHardwareId() const { return m_hardwareId; }
    // "%08x" of the hardware id.
    const std::u16string& GetSubFolder() const { return m_subFolder; }
    // "./VnUpgrade/" + the sub-folder + "/".
    std::u16string GetFolder() const;
    const std::u16string& GetKeyPath() const { return m_keyPath; }
    const Device::SDeviceInfo& GetDeviceInfo() const { return m_info; }
    const Device::CContents& GetInstalled() const { return m_installed; }

private:
    void Post(uint32_t messageId, const CVersion& version);

    IFirmwareReport* m_report;
    Update::SProgramIdentity m_program;
    Update::CFtpLink m_link;
    std::u16string m_subFolder;
    std::u16string m_keyPath;
    uint32_t m_hardwareId = 0;
    std::thread m_thread;
    uint32_t m_firmwareMessageId = 0;
    uint32_t m_osMessageId = 0;
    Device::SDeviceInfo m_info;
    Device::CContents m_installed;
};

// The factory the connection driver takes.
FirmwareReminderFactory MakeFirmwareCheckFactory();
