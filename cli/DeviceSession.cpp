#include "DeviceSession.h"

#include <cstdio>
#include <exception>
#include <filesystem>

#include <unistd.h>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "StandardOutput.h"
#include "device/DeviceStrings.h"
#include "device/DeviceTypes.h"
#include "device/PaperTransfer.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/ComPorts.h"
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
    const StreamIO::SStreamSpec target = StreamIO::ParseStreamName(name);
    const bool deviceName = !Platform::StartsWithNoCase(name, u"COM");
    if (target.kind != StreamIO::StreamKind::Serial || !target.rest.empty() ||
        (deviceName && name.size() > kDevicePrefix + 3) || target.comPort < 1 || target.comPort > Device::kLastComPort)
        return std::nullopt;
    return target.comPort;
}

std::string ComPortName(uint32_t port)
{
    return "COM" + std::to_string(port);
}

std::optional<std::string> ParseIpPort(const std::string& text)
{
    if (text.size() < 4 || !Platform::StartsWithNoCase(Platform::FromUtf8(text), u"IP:"))
        return std::nullopt;
    const std::string rest = text.substr(3);
    std::string host = rest, port;
    if (rest.find(':') != std::string::npos)
        StreamIO::SplitHostPort(Platform::FromUtf8(rest), host, port);
    if (port.empty())
        port = kInstrumentTcpPort;
    const std::optional<uint32_t> number = ParseNumber(port);
    if (host.empty() || host.find_first_of(" \t/") != std::string::npos || !number || *number < 1 ||
        *number > 65535 || port.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return "IP:" + host + ":" + port;
}

uint32_t ComPortOfDevice(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path wanted = std::filesystem::canonical(path, ec);
    if (ec)
        return 0;
    for (uint32_t n = 1; n <= Device::kLastComPort; ++n) {
        const std::string device = Platform::ComPortDevicePath(static_cast<int>(n));
        if (device.empty())
            continue;
        std::error_code e;
        if (std::filesystem::canonical(device, e) == wanted && !e)
            return n;
    }
    return 0;
}


int ResolvePort(const std::string& command, const std::string& text, SPortChoice& port)
{
    if (const std::optional<std::string> ip = ParseIpPort(text)) {
        port.kind = Device::PORT_ETHERNET;
        port.streamName = Platform::FromUtf8(*ip);
        port.name = *ip;
        return exitOk;
    }
    if (!text.empty() && text[0] == '/') {
        std::error_code ec;
        if (!std::filesystem::exists(text, ec)) {
            PrintError(text, Text(kDeviceMissing));
            return exitNoInstrument;
        }
        port.comPort = ComPortOfDevice(text);
        if (port.comPort == 0) {
            PrintError(text, Text(kDeviceWithoutComPort));
            return exitNoInstrument;
        }
        port.kind = Device::PORT_SERIAL;
        port.streamName = Platform::Format("COM%u:", port.comPort);
        port.name = text + " (" + ComPortName(port.comPort) + ")";
        return exitOk;
    }
    const std::optional<uint32_t> parsed = ParseComPort(text);
    if (!parsed) {
        PrintError("brelmora-cli", Platform::FormatU(Text(kBadPort).c_str(), text.c_str()));
        return UsageError(command);
    }
    port.kind = Device::PORT_SERIAL;
    port.comPort = *parsed;
    port.streamName = Platform::Format("COM%u:", port.comPort);
    port.name = ComPortName(port.comPort);
    return exitOk;
}

CDeviceSession::CDeviceSession(const SPortChoice& port)
    : m_port(port), m_portName(port.name), m_progressShown(::isatty(STDERR_FILENO) == 1), m_connection(*this)
{
    m_connection.SetWizardSettingsKey(std::u16string());
}

CDeviceSession::~CDeviceSession()
{
    // An instrument left in remote mode may not measure: say so, although
    // the command itself succeeded.
    if (m_connection.GetDevice() != nullptr && !m_connection.Disconnect())
        PrintMessage(Text(kRemoteOffUnanswered));
    m_connection.Disconnect();
}

int CDeviceSession::Connect()
{
    return m_connection.Connect(false) ? exitOk : exitNoInstrument;
}

std::unique_ptr<Device::CVnDevice> CDeviceSession::RunConnectionWizard(CConnWizardSettings&, const SWizardStart&)
{
    auto device = std::make_unique<Device::CVeltranoDevice>();
    std::unique_ptr<StreamIO::CIoStream> stream;
    uint32_t openError = Platform::ERROR_SUCCESS;
    try {
        const bool serial = m_port.kind == Device::PORT_SERIAL;
        stream = StreamIO::OpenStream(m_port.streamName, StreamIO::SF_READ | StreamIO::SF_WRITE,
                                      serial ? &device->GetSerialSettings() : nullptr);
    } catch (const Platform::CFileException& e) {
        openError = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_OPEN_FAILED;
    } catch (const std::exception&) {
        openError = Platform::ERROR_OPEN_FAILED;
    }
    if (openError == Platform::ERROR_SUCCESS && !stream)
        openError = Platform::ERROR_OPEN_FAILED;
    if (openError != Platform::ERROR_SUCCESS) {
        if (m_port.kind == Device::PORT_SERIAL)
            PrintError("brelmora-cli", StreamIO::CRs232Stream::DescribeOpenError(m_port.comPort, openError));
        else
            PrintError(m_portName, Platform::FormatU(Text(kCannotReach).c_str(), Platform::DescribeError(openError)));
        return nullptr;
    }
    Device::SDeviceInfo info;
    if (!device->Attach(stream, m_port.kind) || !device->Identify(info)) {
        PrintError("brelmora-cli", Platform::FormatU(Text(Device::IDS_NO_ANSWER_ON_PORT).c_str(), m_portName.c_str()));
        return nullptr;
    }
    return device;
}

Device::ELinkFailure CDeviceSession::LastFailure() const
{
    const Device::CVeltranoDevice* device = m_connection.GetDevice();
    Device::CVnCommands* commands = device ? device->GetCommands() : nullptr;
    return commands ? commands->GetLastFailure() : Device::ELinkFailure::HangUp;
}

uint8_t CDeviceSession::LastInstrumentError() const
{
    const Device::CVeltranoDevice* device = m_connection.GetDevice();
    Device::CVnCommands* commands = device ? device->GetCommands() : nullptr;
    return commands ? commands->GetLastInstrumentError() : 0;
}

int CDeviceSession::ReportFailure(const std::u16string& text) const
{
    if (!text.empty())
        PrintMessage(text);
    const Device::CVeltranoDevice* device = m_connection.GetDevice();
    Device::CVnCommands* commands = device ? device->GetCommands() : nullptr;
    return ReportFailure(LastFailure(), LastInstrumentError(), commands ? commands->GetLastStreamError() : 0);
}

int CDeviceSession::ReportFailure(Device::ELinkFailure failure, uint8_t instrumentError, uint32_t streamError) const
{
    PrintMessage(Device::DescribeFailure(failure, instrumentError, streamError));
    return exitCommunication;
}

void CDeviceSession::PrintMessage(const std::u16string& text) const
{
    PrintError(m_portName, text);
}

void CDeviceSession::ShowMessage(int kind, const std::u16string& text)
{
    if (kind == messageInformation) {
        Out("%s\n", Platform::ToUtf8(text).c_str());
        return;
    }
    PrintMessage(text);
}

IPrompt::Answer CDeviceSession::AskYesNoCancel(const std::u16string&)
{
    return m_answer;
}

IPrompt::Answer CDeviceSession::Ask(QuestionKind kind, const std::u16string& text)
{
    if (kind == questionYesNo || kind == questionYesNoCancel)
        return AskYesNoCancel(text);
    return answerCancel;
}

void CDeviceSession::ShowProgress()
{
    m_lastPercent = -1;
}

void CDeviceSession::SetProgress(int percent, uint32_t, uint32_t)
{
    if (!m_progressShown || percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    std::fprintf(stderr, "\r%s", Platform::ToUtf8(Platform::FormatU(Text(kDownloadProgress).c_str(), percent)).c_str());
    std::fflush(stderr);
}

void CDeviceSession::HideProgress()
{
    if (m_progressShown && m_lastPercent >= 0)
        std::fprintf(stderr, "\n");
    m_lastPercent = -1;
}

void CDeviceSession::Redraw()
{
    FlushOut();
}

} // namespace Cli
