// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperConnection: the program's single point of contact with the
// instrument.  It runs the connection wizard (through its front end) when no
// instrument is connected, keeps the CVeltranoDevice found, checks that it
// still answers, releases it on demand, and starts the firmware reminder
// after each new connection.  The main window's commands (download, delete
// all, disconnect), the options dialog and the series names manager use it.
//
// Everything runs on the front end's thread; the transfers block it.  While
// a transfer runs, the keep-alive does nothing and the commands refuse
// (Busy), so a front end that processes events during a transfer cannot
// start a second exchange in the middle of the first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "connection/ConnectionUi.h"
#include "connection/FirmwareReminder.h"
#include "device/VnCommands.h"

class CPaperDoc;

namespace Device {
class CVeltranoDevice;
}

enum class EDownloadResult {
    Ok,              // series stored in the document; the keep-alive runs
    DocumentKept,    // the user kept the changed project (Cancel, or saving failed)
    NotConnected,    // the wizard gave no device
    NoInfoBlock,     // the information block did not come as 128 bytes (still connected)
    NoSeries,        // "There are no measurement series on this Veltrano!" was shown
    CannotTransfer,  // the firmware cannot transfer series: shown, disconnected
    CommFailure,     // the series read failed: disconnected, nothing shown
    Cancelled,       // the front end cancelled the series read: disconnected
    Busy,            // another transfer is running
};

struct SDownloadReport {
    EDownloadResult result = EDownloadResult::NotConnected;
    // What made the information block or the series read fail.
    Device::ELinkFailure failure = Device::ELinkFailure::None;
    uint8_t instrumentError = 0;
    uint32_t streamError = 0;   // the stream's error number when it failed
    // Ok: whether the series stream parsed to its end (a stream cut short
    // keeps the series before the cut).
    bool parsedWhole = false;
};

// What a caller that writes files makes of a download.
enum class EDownloadVerdict {
    Failed,        // the transfer itself failed (see the report's result)
    NothingRead,   // the series data did not hold one whole series head
    NotWhole,      // the series data did not parse whole: nothing may be saved
    SaveDamaged,   // saved on request with what the parse kept
    Save,
};

// A short answer carries no checksum, so series data that end inside a
// record or leave bytes over may be anything: they are saved only when the
// caller accepts damaged data, and never when not one series was read.
EDownloadVerdict JudgeDownload(const SDownloadReport& report, int seriesRead, bool acceptDamaged);

enum class EDeleteResult {
    NotConnected,   // shown: "You are not connected to a Veltrano. ..."
    NotConfirmed,   // the question was not answered Yes
    Deleted,        // shown: "Delete all data on Veltrano succeeded."
    Failed,         // shown: "Delete all data on device failed!"
    Busy,
};

class CPaperConnection {
public:
    explicit CPaperConnection(IConnectionUi& ui);
    // Disconnects.
    ~CPaperConnection();

    CPaperConnection(const CPaperConnection&) = delete;
    CPaperConnection& operator=(const CPaperConnection&) = delete;

    // Without `keep`, a held device is checked first (and dropped when it
    // does not answer).  With no device held, the wizard runs; its settings
    // are stored however it ends.  Returns whether a device is held.
    bool Connect(bool keep);
    // The held device, or null.
    Device::CVeltranoDevice* GetDevice() const { return m_device.get(); }
    // Identifies the held device again; one that does not answer is switched
    // out of remote mode and deleted.  No device: false.
    bool CheckAlive();
    // Switches remote mode off, closes and deletes the device, deletes the
    // firmware reminder and stops the keep-alive timer.  False when the
    // instrument did not answer "remote mode off".
    bool Disconnect();

    // The command "Download all measurement series on Veltrano" into `doc`.
    SDownloadReport DownloadSeries(CPaperDoc& doc);
    // The command "Delete all measurement series on Veltrano".
    EDeleteResult DeleteAllSeries();

    // The keep-alive timer's tick: runs CheckAlive and stops the timer when
    // it fails.  Does nothing while a transfer runs.
    void OnKeepAliveTimer();
    bool IsBusy() const { return m_busy; }

    // Where the firmware reminder reports (not owned) and the two values it
    // is started with; set once by the main window.
    void SetReminderContext(IFirmwareReport* context, uint32_t value1, uint32_t value2);
    // Makes the firmware reminder at the first connection; none set: no
    // reminder.
    void SetReminderFactory(FirmwareReminderFactory factory) { m_reminderFactory = std::move(factory); }
    bool HasReminder() const { return m_reminder != nullptr; }

    // The registry key of the wizard's settings (CConnWizardSettings::
    // DefaultKey() by default).  Empty: the settings are neither read nor
    // written (the command line, whose port comes from its arguments).
    void SetWizardSettingsKey(const std::u16string& key) { m_wizardKey = key; }
    const std::u16string& GetWizardSettingsKey() const { return m_wizardKey; }

private:
    class CBusy;
    class CProgressReceiver;

    bool ConnectNow(bool keep);
    void StartReminder();
    void SetKeepAlive(bool running);

    IConnectionUi& m_ui;
    std::unique_ptr<Device::CVeltranoDevice> m_device;
    std::unique_ptr<IFirmwareReminder> m_reminder;
    IFirmwareReport* m_reminderContext = nullptr;
    uint32_t m_reminderValue1 = 0;
    uint32_t m_reminderValue2 = 0;
    FirmwareReminderFactory m_reminderFactory;
    std::u16string m_wizardKey;
    bool m_busy = false;
    bool m_keepAliveRunning = false;
};
