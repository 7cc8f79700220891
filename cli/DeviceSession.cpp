#include "DeviceSession.h"

#include <exception>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "device/DeviceStrings.h"
#include "device/DeviceTypes.h"
#include "device/PaperTransfer.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/serial/Rs232Stream.h"

namespace Cli {

std::optional<uint32_t> ParseComPort(const std::string& text)
{
    std::string rest = text;
    for (const char* prefix : {"\\\\.\\COM", "COM"}) {
        const std::u16string p = Platform::FromUtf8(prefix);
        if (Platform::StartsWithNoCase(Platform::FromUtf8(rest), p)) {
            rest = rest.substr(p.size());
            if (!rest.empty() && rest.back() == ':' && p.size() == 3)
                rest.pop_back();
            break;
        }
    }
    if (rest.empty() || rest.size() > 3)
        return std::nullopt;
    uint32_t n = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    if (n < 1 || n > Device::kLastComPort)
        return std::nullopt;
    return n;
}

std::string ComPortName(uint32_t port)
{
    return "COM" + std::to_string(port);
}

int ResolvePort(const std::string& command, const std::string& text, uint32_t& port)
{
    const std::optional<uint32_t> parsed = ParseComPort(text);
    if (!parsed) {
        PrintError("brelmora-cli", Platform::FormatU(Text(kBadPort).c_str(), text.c_str()));
        return UsageError(command);
    }
    port = *parsed;
    return exitOk;
}

CDeviceSession::CDeviceSession() = default;

CDeviceSession::~CDeviceSession()
{
    Device::Disconnect(m_device);
}

int CDeviceSession::Connect(uint32_t port)
{
    m_portName = ComPortName(port);
    auto device = std::make_unique<Device::CVeltranoDevice>();
    std::unique_ptr<StreamIO::CIoStream> stream;
    uint32_t openError = Platform::ERROR_SUCCESS;
    try {
        stream = Device::OpenSerialPort(port, device->GetSerialSettings());
    } catch (const Platform::CFileException& e) {
        openError = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_OPEN_FAILED;
    } catch (const std::exception&) {
        openError = Platform::ERROR_OPEN_FAILED;
    }
    if (openError == Platform::ERROR_SUCCESS && !stream)
        openError = Platform::ERROR_OPEN_FAILED;
    if (openError != Platform::ERROR_SUCCESS) {
        PrintError("brelmora-cli", StreamIO::CRs232Stream::DescribeOpenError(port, openError));
        return exitNoInstrument;
    }
    Device::SDeviceInfo info;
    if (!device->Attach(stream, Device::PORT_SERIAL) || !device->Identify(info)) {
        PrintError("brelmora-cli", Platform::FormatU(Text(Device::IDS_NO_ANSWER_ON_PORT).c_str(), m_portName.c_str()));
        return exitNoInstrument;
    }
    m_device = std::move(device);
    return exitOk;
}

Device::ELinkFailure CDeviceSession::LastFailure() const
{
    Device::CVnCommands* commands = m_device ? m_device->GetCommands() : nullptr;
    return commands ? commands->GetLastFailure() : Device::ELinkFailure::HangUp;
}

uint8_t CDeviceSession::LastInstrumentError() const
{
    Device::CVnCommands* commands = m_device ? m_device->GetCommands() : nullptr;
    return commands ? commands->GetLastInstrumentError() : 0;
}

int CDeviceSession::ReportFailure(const std::u16string& text) const
{
    if (!text.empty())
        PrintMessage(text);
    PrintMessage(Device::DescribeFailure(LastFailure(), LastInstrumentError()));
    return exitCommunication;
}

void CDeviceSession::PrintMessage(const std::u16string& text) const
{
    PrintError(m_portName, text);
}

} // namespace Cli
