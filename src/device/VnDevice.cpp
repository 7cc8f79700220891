// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/VnDevice.h"

#include <algorithm>
#include <exception>

#include "device/Callback.h"
#include "device/DeviceStrings.h"
#include "device/DeviceThread.h"
#include "device/TextFields.h"
#include "device/VnCommands.h"
#include "platform/ErrorCodes.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace Device {

namespace {

constexpr uint32_t kMaxSavedFile = 0xFFFFFF;

} // namespace

CVnDevice::CVnDevice() = default;

CVnDevice::~CVnDevice()
{
    m_commands.reset();
    m_stream.reset();
}

std::u16string CVnDevice::GetErrorText(uint32_t code) const
{
    const std::u16string advice = Platform::LoadString(IDS_ERR_RESTART_ADVICE);
    switch (code) {
    case 3:
        return Platform::LoadString(IDS_ERR_UPLOAD) + advice;
    case 4:
        return Platform::LoadString(IDS_ERR_DEVICE_PROGRAM) + advice;
    case 5:
        return Platform::LoadString(IDS_ERR_OPERATION_MODE) + advice;
    case 6:
        return Platform::LoadString(IDS_ERR_COMMUNICATION) + advice;
    case 7:
        return Platform::LoadString(IDS_ERR_FILE_READ);
    case 8:
        return Platform::LoadString(IDS_ERR_PACKET_TYPE);
    case 9:
        return Platform::LoadString(IDS_ERR_ABORTED);
    case 10:
        return Platform::LoadString(IDS_ERR_HARDWARE);
    case 11:
        return Platform::LoadString(IDS_ERR_OS_VERSION);
    case 16:
        return Platform::LoadString(IDS_ERR_LOW_BATTERY);
    default:
        return Platform::FormatU(Platform::LoadString(IDS_ERR_UNKNOWN).c_str(), static_cast<int>(code)) + advice;
    }
}

bool CVnDevice::Attach(std::unique_ptr<StreamIO::CIoStream>& stream, NPorts portKind)
{
    if (m_stream != nullptr || stream == nullptr)
        return false;
    if (portKind != PORT_SERIAL && portKind != PORT_USB && portKind != PORT_ETHERNET)
        return false;
    try {
        if (!stream->IsOpen())
            return false;
    } catch (const std::exception&) {
        return false;
    }
    m_stream = std::move(stream);
    m_portKind = portKind;
    m_commands = std::make_unique<CVnCommands>(m_stream.get(), &CVnDevice::AbortHook, this);
    m_commands->SetProgressSink([this](int position, int phase, int expectedMs) {
        ReportProgress(position, phase, expectedMs);
    });
    m_commands->SetTransferSink([this](uint32_t received, uint32_t total) {
        if (m_callback != nullptr && m_callback->progressEnabled)
            m_callback->OnTransferProgress(received, total);
    });
    m_commands->InitEcho(false, false);
    return true;
}

std::unique_ptr<StreamIO::CIoStream> CVnDevice::Detach()
{
    m_commands.reset();
    m_portKind = PORT_NONE;
    return std::move(m_stream);
}

StreamIO::CIoStream* CVnDevice::GetStream() const
{
    return m_stream.get();
}

std::u16string CVnDevice::GetStreamName() const
{
    return m_stream ? m_stream->GetName() : std::u16string();
}

NPorts CVnDevice::GetPortKind() const
{
    return m_portKind;
}

bool CVnDevice::AttachPackage(StreamIO::CIoStream* package)
{
    if (m_package != nullptr || package == nullptr)
        return false;
    try {
        if (!package->IsOpen())
            return false;
    } catch (const std::exception&) {
        return false;
    }
    m_package = package;
    return true;
}

StreamIO::CIoStream* CVnDevice::DetachPackage()
{
    StreamIO::CIoStream* package = m_package;
    m_package = nullptr;
    return package;
}

bool CVnDevice::SetCallback(CCallback* callback)
{
    if (m_callback != nullptr)
        return false;
    m_callback = callback;
    return true;
}

CCallback* CVnDevice::DetachCallback()
{
    CCallback* callback = m_callback;
    m_callback = nullptr;
    return callback;
}

uint32_t CVnDevice::GetBlockSize() const
{
    return 0x8000;
}

uint32_t CVnDevice::GetChecksumMode() const
{
    return 2;
}

const StreamIO::SerialSettings& CVnDevice::GetSerialSettings() const
{
    return m_serial;
}

bool CVnDevice::RemoteLogin()
{
    SetLastError(IDS_NO_REMOTE_LOGIN, 6);
    return true;
}

void CVnDevice::ResetLastError()
{
    m_lastError = SLastError{};
}

bool CVnDevice::SetRemoteMode(bool on, int ms)
{
    return IsReady() && m_commands->SetRemoteMode(on, ms);
}

bool CVnDevice::SendControl12()
{
    return IsReady() && m_commands->SendControl12();
}

bool CVnDevice::ListDirectory(uint16_t directory, std::string& listing)
{
    listing.clear();
    return IsReady() && m_commands->ListDirectory(directory, listing);
}

bool CVnDevice::LoadFile(const std::u16string& path, std::vector<uint8_t>& data)
{
    data.clear();
    return IsReady() && m_commands->LoadFile(path, data);
}

bool CVnDevice::SaveFile(const std::u16string& path, const std::vector<uint8_t>& data)
{
    return IsReady() && m_commands->SaveFile(path, data.data(), data.size());
}

bool CVnDevice::SaveFileAlt(const std::u16string& path, StreamIO::CIoStream* source)
{
    if (!IsReady() || source == nullptr)
        return false;
    std::vector<uint8_t> data;
    try {
        if (source->IsSeekable())
            source->SetPosition(0);
        uint8_t chunk[4096];
        for (;;) {
            const uint32_t n = source->Read(chunk, sizeof chunk);
            if (n == 0)
                break;
            if (data.size() + n > kMaxSavedFile)
                return false;
            data.insert(data.end(), chunk, chunk + n);
        }
    } catch (const std::exception&) {
        SetLastError(IDS_ERR_FILE_READ, 7);
        return false;
    }
    return m_commands->SaveFile(path, data.data(), data.size());
}

bool CVnDevice::MoveFile(const std::u16string& from, const std::u16string& to)
{
    return IsReady() && m_commands->MoveFile(from, to);
}

bool CVnDevice::DeleteFile(const std::u16string& path)
{
    return IsReady() && m_commands->DeleteFile(path);
}

bool CVnDevice::Ping()
{
    if (!IsReady() || !m_commands->Resync())
        return false;
    return m_commands->ChangeOperationMode(0x0C);
}

bool CVnDevice::IdentifyShort(SDeviceInfo& info)
{
    if (!IsReady() || !m_commands->TextCommand("ID", 4000))
        return false;
    const std::vector<std::string> fields = SplitNonEmpty(m_commands->GetAnswer());
    if (fields.size() < 3)
        return false;
    info.typeName = Platform::FromLatin1(fields[0]);
    info.appVersion = Platform::FromLatin1(fields[1]);
    info.serialNumber = Platform::FromLatin1(fields[2]);
    return true;
}

int64_t CVnDevice::GetHardwareId()
{
    return IsReady() ? m_commands->GetHardwareId() : -1;
}

int CVnDevice::ReadPacketInfo(std::vector<uint8_t>& packet)
{
    packet.clear();
    return IsReady() ? m_commands->ReadPacketInfo(packet) : -1;
}

bool CVnDevice::TextCommand(const std::string& command, std::string& answer, size_t answerSize, int timeoutMs)
{
    answer.clear();
    if (!IsReady())
        return false;
    const bool ok = m_commands->TextCommand(command, timeoutMs);
    const std::string& text = m_commands->GetAnswer();
    answer = text.substr(0, answerSize > 0 ? std::min(text.size(), answerSize - 1) : 0);
    return ok;
}

int CVnDevice::ReadDataBlock(uint8_t block, uint8_t* buffer, int requestLength, uint32_t& outCount,
                             uint32_t bufferSize, int timeoutMs, int totalMs)
{
    outCount = 0;
    if (!m_commands)
        return RDB_FAILED;
    return m_commands->ReadDataBlock(block, buffer, requestLength, outCount, bufferSize, timeoutMs, totalMs);
}

void CVnDevice::SetUserFlag(uint8_t flag)
{
    m_userFlag = flag;
}

uint8_t CVnDevice::GetUserFlag() const
{
    return m_userFlag;
}

int CVnDevice::WriteDataBlock(uint8_t block, int length, uint8_t* buffer, uint32_t answerSize, int timeoutMs)
{
    if (!m_commands)
        return WDB_FAILED;
    return m_commands->WriteDataBlock(block, length, buffer, answerSize, timeoutMs);
}

bool CVnDevice::Query38() const
{
    return false;
}

bool CVnDevice::Query39() const
{
    return true;
}

bool CVnDevice::PrepareReconnect(StreamIO::CIoStream* stream, NPorts portKind, int& waitMs)
{
    waitMs = portKind == PORT_USB ? 80000 : 0;
    return true;
}

bool CVnDevice::ProgramEnter() { return RefuseProgramming(); }
bool CVnDevice::ProgramCheckPackage() { return RefuseProgramming(); }
bool CVnDevice::ProgramSendHeader() { return RefuseProgramming(); }
bool CVnDevice::ProgramErase() { return RefuseProgramming(); }
bool CVnDevice::ProgramWriteImage() { return RefuseProgramming(); }
bool CVnDevice::ProgramVerify() { return RefuseProgramming(); }
bool CVnDevice::ProgramLeave() { return RefuseProgramming(); }
bool CVnDevice::ProgramAbort() { return RefuseProgramming(); }

std::u16string CVnDevice::GetTypeName() const
{
    return Device::GetTypeName(m_type);
}

bool CVnDevice::AbortHook(void* device)
{
    if (DeviceThreadAbortHook(nullptr))
        return true;
    const CVnDevice* self = static_cast<const CVnDevice*>(device);
    return self != nullptr && self->m_callback != nullptr && self->m_callback->IsCancelRequested();
}

void CVnDevice::ReportProgress(int position, int phase, int expectedMs)
{
    if (m_callback != nullptr && m_callback->progressEnabled)
        m_callback->OnProgress(position, phase, expectedMs);
}

void CVnDevice::SetLastError(uint32_t messageId, uint32_t code, uint32_t value)
{
    m_lastError.message = Platform::LoadString(messageId);
    m_lastError.detail.clear();
    m_lastError.code = code;
    m_lastError.value = value;
}

bool CVnDevice::RefuseProgramming()
{
    SetLastError(IDS_NO_PROGRAMMING, Platform::ERROR_NOT_SUPPORTED);
    return false;
}

bool CVnDevice::IsReady() const
{
    if (!m_stream || !m_commands)
        return false;
    try {
        return m_stream->IsOpen();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace Device
