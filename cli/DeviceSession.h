// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument commands' link to the Veltrano on one COM port: the
// connection driver's front end with the port given on the command line in
// place of the wizard (its "wizard" opens the port and identifies the
// instrument), the messages for what failed, and the disconnection at the
// end.  The wizard's settings in the registry are neither read nor written.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "connection/ConnectionUi.h"
#include "connection/PaperConnection.h"
#include "device/DeviceTypes.h"
#include "device/VnCommands.h"
#include "streamio/LinkSpec.h"

namespace Device {
class CVeltranoDevice;
}

namespace Cli {

// "COM3:", "COM3", "\\.\COM3" (any case) or "3", for ports 1 to 256.
std::optional<uint32_t> ParseComPort(const std::string& text);

// The port as messages name it: "COM3".
std::string ComPortName(uint32_t port);

// The instrument port a device command was given.
struct SPortChoice {
    StreamIO::SLinkSpec link;       // serial (by COM number) or IP
    std::string name;               // how messages name it
};

// Reads `text` for `command`: a COM form (see ParseComPort), IP:HOST[:PORT]
// (port 3728 when left out) or the path of a serial device
// ("/dev/ttyUSB0"), which is taken as the COM port (1 to 256) whose device
// it is.  Prints why and returns exitUsage for a text of none of these
// forms, exitNoInstrument for a device path that no COM port leads to;
// exitOk otherwise.
int ResolvePort(const std::string& command, const std::string& text, SPortChoice& port);

class CDeviceSession : public IConnectionUi {
public:
    explicit CDeviceSession(const SPortChoice& port);
    // Switches the instrument's remote mode off and closes the port.
    ~CDeviceSession() override;

    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    // Connects through the driver.  Returns exitOk, or exitNoInstrument
    // after printing why (a port that is busy, missing or not permitted, or
    // no answer).
    int Connect();

    CPaperConnection& Connection() { return m_connection; }
    // The connected instrument (after a successful Connect).
    Device::CVeltranoDevice& Device() { return *m_connection.GetDevice(); }
    const std::string& PortName() const { return m_portName; }

    // The answer every Yes/No question gets (No unless set); Retry/Cancel
    // questions are answered Cancel.
    void SetAnswer(Answer answer) { m_answer = answer; }

    // What made the last exchange fail, from the device's protocol layer.
    Device::ELinkFailure LastFailure() const;
    uint8_t LastInstrumentError() const;

    // Prints `text` (when not empty) and the cause of the last failure,
    // both naming the port; returns exitCommunication.
    int ReportFailure(const std::u16string& text = std::u16string()) const;
    // The same with the cause given.
    int ReportFailure(Device::ELinkFailure failure, uint8_t instrumentError, uint32_t streamError = 0) const;

    // Prints a line naming the port on standard error.
    void PrintMessage(const std::u16string& text) const;

    // IConnectionUi.  Information goes to standard output, every other
    // message to standard error naming the port.
    void ShowMessage(int kind, const std::u16string& text) override;
    Answer AskYesNoCancel(const std::u16string& text) override;
    Answer Ask(QuestionKind kind, const std::u16string& text) override;
    std::unique_ptr<Device::CVnDevice> RunConnectionWizard(CConnWizardSettings& settings,
                                                           const SWizardStart& start) override;
    // The progress line, shown only on a terminal so scripts get clean output.
    void ShowProgress() override;
    void SetProgress(int percent, uint32_t received, uint32_t total) override;
    void HideProgress() override;
    void Redraw() override;
    void SetKeepAliveTimer(bool running) override {}

private:
    SPortChoice m_port;
    std::string m_portName;
    Answer m_answer = answerNo;
    bool m_progressShown;
    int m_lastPercent = -1;
    CPaperConnection m_connection;
};

} // namespace Cli
