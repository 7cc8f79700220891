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
#include "streamio/StreamSpec.h"
#include "streamio/serial/Rs232Stream.h"

namespace Cli {

std::optional<uint32_t> ParseComPort(const std::string& text)
{
    // The short forms "3" and "COM3" are read as the factory's "COM3:"; the
    // stream-name parser decides the rest.  Every form has one to three
    // digits, as the factory's serial names have.
    constexpr size_t kDevicePrefix = 7;   // "\\.\COM"
    std::u16string name = Platform::FromUtf8(text);
    if (!name.empty() && name.find_first_not_of(u"0123456789") == std::u16string::npos)
        name = u"COM" + name;
    if (Platform::StartsWithNoCase(name, u"COM") && name.find(u':') == std::u16string::npos)
        name += u':';
    const StreamIO::SStreamSpec spec = StreamIO::ParseStreamName(name);
    const bool deviceName = !Platform::StartsWithNoCase(name, u"COM");
    if (spec.kind != StreamIO::StreamKind::Serial || !spec.rest.empty() ||
        (deviceName && name.size() > kDevicePrefix + 3) || spec.comPort < 1 || spec.comPort > Device::kLastComPort)
        return std::nullopt;
    return spec.comPort;
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
        stream = StreamIO::OpenStream(Platform::Format("COM%u:", port), StreamIO::SF_READ | StreamIO::SF_WRITE,
                                      &device->GetSerialSettings());
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
    Device::CVnCommands* commands = m_device ? m_device->GetCommands() : nullptr;
    PrintMessage(Device::DescribeFailure(LastFailure(), LastInstrumentError(),
                                         commands ? commands->GetLastStreamError() : 0));
    return exitCommunication;
}

void CDeviceSession::PrintMessage(const std::u16string& text) const
{
    PrintError(m_portName, text);
}

} // namespace Cli
