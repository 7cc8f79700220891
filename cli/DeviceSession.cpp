#include "DeviceSession.h"

#include <cstdio>
#include <exception>

#include <unistd.h>

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

CDeviceSession::CDeviceSession(uint32_t port)
    : m_port(port), m_portName(ComPortName(port)), m_progressShown(::isatty(STDERR_FILENO) == 1), m_connection(*this)
{
    m_connection.SetWizardSettingsKey(std::u16string());
}

CDeviceSession::~CDeviceSession()
{
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
        stream = Device::OpenSerialPort(m_port, device->GetSerialSettings());
    } catch (const Platform::CFileException& e) {
        openError = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_OPEN_FAILED;
    } catch (const std::exception&) {
        openError = Platform::ERROR_OPEN_FAILED;
    }
    if (openError == Platform::ERROR_SUCCESS && !stream)
        openError = Platform::ERROR_OPEN_FAILED;
    if (openError != Platform::ERROR_SUCCESS) {
        PrintError("brelmora-cli", StreamIO::CRs232Stream::DescribeOpenError(m_port, openError));
        return nullptr;
    }
    Device::SDeviceInfo info;
    if (!device->Attach(stream, Device::PORT_SERIAL) || !device->Identify(info)) {
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
    return ReportFailure(LastFailure(), LastInstrumentError());
}

int CDeviceSession::ReportFailure(Device::ELinkFailure failure, uint8_t instrumentError) const
{
    PrintMessage(Device::DescribeFailure(failure, instrumentError));
    return exitCommunication;
}

void CDeviceSession::PrintMessage(const std::u16string& text) const
{
    PrintError(m_portName, text);
}

void CDeviceSession::ShowMessage(int kind, const std::u16string& text)
{
    if (kind == messageInformation) {
        std::printf("%s\n", Platform::ToUtf8(text).c_str());
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
    std::fflush(stdout);
}

} // namespace Cli
