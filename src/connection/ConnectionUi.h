// SPDX-License-Identifier: GPL-3.0-or-later
// IConnectionUi: what the connection driver asks of its front end.  The
// desktop program's main window answers with the wizard, message boxes, a
// progress window and a timer; the command line with its fixed port and the
// terminal; tests with a script.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Prompt.h"

class CConnWizardSettings;

namespace Device {
class CVnDevice;
}

// How the driver starts the wizard.
struct SWizardStart {
    std::u16string caption;       // string 511 "Select and connect the device"
    int startPage = 2;            // the port page
    uint16_t loginRights = 0;     // no remote login required
};

class IConnectionUi : public IPrompt {
public:
    // The keep-alive: timer 60000 of the main window, every 5000 ms, calls
    // CPaperConnection::OnKeepAliveTimer.
    static constexpr int kKeepAliveTimerId = 60000;
    static constexpr int kKeepAlivePeriodMs = 5000;

    // Runs the connection wizard modally on `settings` (loaded and adjusted
    // by the driver, which stores them afterwards) and returns the device
    // chosen with Finish, or null when the wizard ended otherwise.
    virtual std::unique_ptr<Device::CVnDevice> RunConnectionWizard(CConnWizardSettings& settings,
                                                                   const SWizardStart& start) = 0;

    // The progress window of the series read: shown, set (percent of the
    // window; bytes received of the announced total, both 0 before the
    // answer starts), hidden.
    virtual void ShowProgress() = 0;
    virtual void SetProgress(int percent, uint32_t received, uint32_t total) = 0;
    virtual void HideProgress() = 0;
    // Asked at least every 100 ms while the series read blocks, on the
    // thread running it: true cancels the read (the connection is then
    // dropped and the document gets no series).  The desktop program
    // processes its pending events here, so the window repaints and its
    // Cancel button works.
    virtual bool IsCancelRequested() { return false; }

    // Brings the windows up to date now (the progress window, the main view).
    virtual void Redraw() = 0;

    // Starts or stops the keep-alive timer.
    virtual void SetKeepAliveTimer(bool running) = 0;
};
