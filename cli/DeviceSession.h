// The instrument commands' link to the Veltrano on one COM port: the port
// given on the command line, opening it, identifying the instrument, the
// messages for what failed, and the disconnection at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device/VnCommands.h"

namespace Device {
class CVeltranoDevice;
}

namespace Cli {

// "COM3:", "COM3", "\\.\COM3" (any case) or "3", for ports 1 to 256.
std::optional<uint32_t> ParseComPort(const std::string& text);

// The port as messages name it: "COM3".
std::string ComPortName(uint32_t port);

// Parses `text` as a port for `command`; prints the message and returns
// exitUsage when it is not one, exitOk otherwise.
int ResolvePort(const std::string& command, const std::string& text, uint32_t& port);

class CDeviceSession {
public:
    CDeviceSession();
    // Switches the instrument's remote mode off and closes the port.
    ~CDeviceSession();

    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    // Opens COM<port> with the Veltrano's line settings and identifies the
    // instrument.  Returns exitOk, or exitNoInstrument after printing why
    // (a port that is busy, missing or not permitted, or no answer).
    int Connect(uint32_t port);

    Device::CVeltranoDevice& Device() { return *m_device; }
    // The holder, for the shared transfers that may disconnect.
    std::unique_ptr<Device::CVeltranoDevice>& Holder() { return m_device; }
    const std::string& PortName() const { return m_portName; }

    // What made the last exchange fail, from the device's protocol layer.
    Device::ELinkFailure LastFailure() const;
    uint8_t LastInstrumentError() const;

    // Prints `text` (when not empty) and the cause of the last failure,
    // both naming the port; returns exitCommunication.
    int ReportFailure(const std::u16string& text = std::u16string()) const;

    // Prints a line naming the port on standard error.
    void PrintMessage(const std::u16string& text) const;

private:
    std::unique_ptr<Device::CVeltranoDevice> m_device;
    std::string m_portName;
};

} // namespace Cli
