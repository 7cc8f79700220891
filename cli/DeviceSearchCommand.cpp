// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli search [--port N | --scan [--skip N] | --ip ADDRESS | --usb]
// [--stop-first]: runs the device search (serial, Ethernet or USB) on the
// device thread, prints its status lines as they come and, at the end, every
// Veltrano found as the search result lists it.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "DeviceSession.h"
#include "StandardOutput.h"
#include "connection/CallQueue.h"
#include "connection/ConnectionWizard.h"
#include "connection/WizardSettings.h"
#include "device/DeviceThread.h"
#include "device/DeviceTypes.h"
#include "platform/Text.h"

namespace Cli {

namespace {

void PrintLine(const std::u16string& text)
{
    Out("%s\n", Platform::ToUtf8(text).c_str());
    FlushOut();
}

// The wizard's result page on a terminal: status lines are printed as they
// come; the question after a search without result is answered Cancel.
class CSearchOutput : public IPrompt, public IConnectionWizardView {
public:
    explicit CSearchOutput(const CConnectionWizard*& wizard) : m_wizard(wizard) {}

    void ShowMessage(int, const std::u16string& text) override { PrintError("brelmora-cli", text); }
    Answer AskYesNoCancel(const std::u16string&) override { return answerNo; }
    Answer Ask(QuestionKind, const std::u16string&) override { return answerCancel; }

    void OnWizardChanged() override
    {
        if (m_wizard == nullptr)
            return;
        const std::vector<std::u16string>& lines = m_wizard->GetStatusLines();
        for (; m_printed < lines.size(); ++m_printed)
            PrintLine(lines[m_printed]);
        if (m_wizard->IsSearching())
            m_started = true;
    }
    // The search started and has ended.
    bool IsDone() const { return m_started && m_wizard != nullptr && !m_wizard->IsSearching(); }

private:
    const CConnectionWizard*& m_wizard;
    size_t m_printed = 0;
    bool m_started = false;
};

struct SSearchRequest {
    CConnWizardSettings settings;
    uint32_t skipComPort = 0;
};

bool ParseSearchArgs(const std::vector<std::string>& args, SSearchRequest& r)
{
    bool portGiven = false, scanGiven = false, skipGiven = false, ipGiven = false, usbGiven = false;
    r.settings.stopAtFirst = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--ip" && i + 1 < args.size() && !ipGiven && !args[i + 1].empty()) {
            ipGiven = true;
            r.settings.portKind = Device::PORT_ETHERNET;
            r.settings.ipAddress = Platform::FromUtf8(args[++i]);
            continue;
        }
        if (a == "--usb" && !usbGiven) {
            usbGiven = true;
            r.settings.portKind = Device::PORT_USB;
            continue;
        }
        if ((a == "--port" || a == "--skip") && i + 1 < args.size()) {
            bool& given = a == "--port" ? portGiven : skipGiven;
            if (given)
                return false;
            given = true;
            // A COM form, or the device file of a COM port.
            const std::string& text = args[++i];
            std::optional<uint32_t> port = ParseComPort(text);
            if (!port && !text.empty() && text[0] == '/' && StreamIO::ResolveComPort(text) != 0)
                port = StreamIO::ResolveComPort(text);
            if (!port) {
                PrintError("brelmora-cli", Platform::FormatU(Text(kBadPort).c_str(), args[i].c_str()));
                return false;
            }
            (a == "--port" ? r.settings.comPort : r.skipComPort) = *port;
        } else if (a == "--scan" && !scanGiven) {
            scanGiven = true;
        } else if (a == "--stop-first" && !r.settings.stopAtFirst) {
            r.settings.stopAtFirst = true;
        } else {
            return false;
        }
    }
    if (portGiven && (scanGiven || skipGiven))
        return false;
    // One kind of port per search.
    if ((ipGiven || usbGiven) && (portGiven || scanGiven || skipGiven || (ipGiven && usbGiven)))
        return false;
    r.settings.scanAll = !portGiven;
    return true;
}

} // namespace

int SearchCommand(const std::vector<std::string>& args)
{
    SSearchRequest r;
    r.settings.deviceType = Device::TYPE_VELTRANO;
    r.settings.portKind = Device::PORT_SERIAL;
    r.settings.express = false;
    if (!ParseSearchArgs(args, r))
        return UsageError("search");
    if (!Device::StartDeviceThread()) {
        Device::StopDeviceThread();
        return exitNoInstrument;
    }

    int rc = exitNoInstrument;
    {
        const CConnectionWizard* shown = nullptr;
        CSearchOutput output(shown);
        CCallQueue queue;
        CConnectionWizard wizard(r.settings, output, queue.Poster());
        shown = &wizard;
        wizard.SetView(&output);
        wizard.SetSkipComPort(r.skipComPort);
        // The pages as the wizard shows them: the port page takes the
        // settings, Next stores them, the result page searches.  The port
        // page offers only the kinds of port the instrument type lists (the
        // serial port for a Veltrano); an Ethernet or USB search goes to the
        // result page with the settings given.
        if (r.settings.portKind == Device::PORT_SERIAL) {
            wizard.ActivatePortPage();
            wizard.PortPageNext();
        }
        wizard.ActivateResultPage();
        while (!output.IsDone())
            queue.WaitAndRun(100);
        for (size_t i = 0; i < wizard.GetDeviceCount(); ++i)
            PrintLine(wizard.GetEntryText(i));
        if (wizard.GetDeviceCount() > 0)
            rc = exitOk;
        wizard.LeaveResultPage();
        shown = nullptr;
    }
    Device::StopDeviceThread();
    return rc;
}

} // namespace Cli
