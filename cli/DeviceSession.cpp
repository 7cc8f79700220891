// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeviceSession.h"

#include <cstdio>
#include <exception>

#include <unistd.h>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "StandardOutput.h"
#include "device/DeviceStrings.h"
#include "device/DeviceTypes.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/LinkSpec.h"
#include "streamio/serial/Rs232Stream.h"

namespace Cli {

std::optional<uint32_t> ParseComPort(const std::string& text)
{
    const std::optional<StreamIO::SLinkSpec> link = StreamIO::ParseLink(Platform::FromUtf8(text));
    if (!link || link->kind != StreamIO::ELinkKind::Serial || link->comPort > StreamIO::kLastNamedComPort ||
        link->comPort < StreamIO::kFirstComPort)
        return std::nullopt;
    return link->comPort;
}

std::string ComPortName(uint32_t port)
{
    return Platform::ToUtf8(StreamIO::FormatLink(StreamIO::SLinkSpec::Serial(port)));
}

int ResolvePort(const std::string& command, const std::string& text, SPortChoice& port)
{
    const std::optional<StreamIO::SLinkSpec> link = StreamIO::ParseLink(Platform::FromUtf8(text));
    if (link && link->kind == StreamIO::ELinkKind::Ip) {
        port.link = *link;
        port.name = Platform::ToUtf8(StreamIO::FormatLink(*link));
        return exitOk;
    }
    if (link && link->kind == StreamIO::ELinkKind::Serial && !link->devicePath.empty()) {
        if (!Platform::StatPath(text).Exists()) {
            PrintError(text, Text(kDeviceMissing));
            return exitNoInstrument;
        }
        // Serial streams open by COM number: the path counts as the port
        // that leads to it.
        port.link = StreamIO::SLinkSpec::Serial(StreamIO::ResolveComPort(text));
        if (port.link.comPort == 0) {
            PrintError(text, Text(kDeviceWithoutComPort));
            return exitNoInstrument;
        }
        port.name = text + " (" + ComPortName(port.link.comPort) + ")";
        return exitOk;
    }
    const std::optional<uint32_t> parsed = ParseComPort(text);
    if (!parsed) {
        PrintError("brelmora-cli", Platform::FormatU(Text(kBadPort).c_str(), text.c_str()));
        return UsageError(command);
    }
    port.link = StreamIO::SLinkSpec::Serial(*parsed);
    port.name = ComPortName(*parsed);
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
        stream = StreamIO::OpenStream(m_port.link, StreamIO::SF_READ | StreamIO::SF_WRITE, &device->GetSerialSettings());
    } catch (const Platform::CFileException& e) {
        openError = e.GetOsError() != 0 ? e.GetOsError() : Platform::ERROR_OPEN_FAILED;
    } catch (const std::exception&) {
        openError = Platform::ERROR_OPEN_FAILED;
    }
    if (openError == Platform::ERROR_SUCCESS && !stream)
        openError = Platform::ERROR_OPEN_FAILED;
    if (openError != Platform::ERROR_SUCCESS) {
        if (m_port.link.kind == StreamIO::ELinkKind::Serial)
            PrintError("brelmora-cli", StreamIO::CRs232Stream::DescribeOpenError(m_port.link.comPort, openError));
        else
            PrintError(m_portName, Platform::FormatU(Text(kCannotReach).c_str(), Platform::DescribeError(openError)));
        return nullptr;
    }
    Device::SDeviceInfo info;
    if (!device->Attach(stream, static_cast<Device::NPorts>(m_port.link.kind)) || !device->Identify(info)) {
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
