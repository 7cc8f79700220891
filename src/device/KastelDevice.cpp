// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/KastelDevice.h"

#include <cerrno>
#include <cstdlib>

#include "device/Contents.h"
#include "device/DeviceStrings.h"
#include "device/TextFields.h"
#include "device/VnCommands.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/serial/SerialSettings.h"

namespace Device {

CKastelDevice::CKastelDevice()
{
    m_type = TYPE_ARGENTOR;
    m_supportedPorts = PORT_SERIAL;
    m_familyCode = 5;
    m_serial.baudRate = 38400;
    m_serial.handshake = StreamIO::HANDSHAKE_CTSRTS;
    m_serial.readTimeout = 1000;
    m_serial.writeTimeout = 50;
}

std::unique_ptr<CVnDevice> CKastelDevice::CreateNew() const
{
    return std::make_unique<CKastelDevice>();
}

uint32_t CKastelDevice::GetBlockSize() const
{
    return 0;
}

uint32_t CKastelDevice::GetChecksumMode() const
{
    return 1;
}

bool CKastelDevice::Ping()
{
    if (!IsReady() || !m_commands->Resync())
        return false;
    m_commands->ChangeOperationMode(0x18);
    return true;
}

bool CKastelDevice::ParseIdentification(const std::string& answer, SDeviceDetails& details)
{
    // An empty field between two separators becomes "-" so that the fields
    // keep their places; the split drops what is still empty.
    const std::u16string replaced = Platform::ReplaceAll(Platform::FromLatin1(answer), u";;", u";-;");
    std::string narrowed;
    narrowed.reserve(replaced.size());
    for (char16_t ch : replaced)
        narrowed += static_cast<char>(ch);
    const std::vector<std::string> fields = SplitNonEmpty(narrowed, ';');
    if (fields.size() < 6)
        return false;
    details.typeName = Platform::FromLatin1(fields[0]);
    details.hardwareRevision = Platform::FromLatin1(fields[1]);
    details.serialNumber = Platform::FromLatin1(fields[2]);
    details.signature = Platform::FromLatin1(fields[3]);
    details.appVersion = Platform::FromLatin1(fields[4]);
    details.bootloaderVersion = Platform::FromLatin1(fields[5]);
    return true;
}

bool CKastelDevice::ParseSignature(const std::u16string& text, uint32_t& value)
{
    std::string narrow;
    for (char16_t ch : text)
        narrow += ch < 0x80 ? static_cast<char>(ch) : '?';
    const char* begin = narrow.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(begin, &end, 16);
    if (end == begin)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool CKastelDevice::Identify(SDeviceInfo& info)
{
    if (!IsReady())
        return false;
    if (!m_commands->TextCommand("@ID@", 2000))
        return false;
    SDeviceDetails details;
    if (!ParseIdentification(m_commands->GetAnswer(), details))
        return false;
    m_details = details;
    info.typeName = details.typeName;
    info.appVersion = details.appVersion;
    info.serialNumber = details.serialNumber;
    uint32_t signature = 0;
    if (!ParseSignature(details.signature, signature))
        return false;
    if (details.typeName.empty() || details.appVersion.empty() || details.serialNumber.empty() ||
        details.hardwareRevision.empty() || details.signature.empty())
        return false;
    return ((signature >> 24) & 0xFF) == (m_familyCode & 0xFF);
}

std::u16string CKastelDevice::GetInfoText()
{
    const std::string type = Platform::ToUtf8(m_details.typeName);
    const std::string serial = Platform::ToUtf8(m_details.serialNumber);
    const std::string app = Platform::ToUtf8(m_details.appVersion);
    const std::string hardware = Platform::ToUtf8(m_details.hardwareRevision);
    const std::string boot = Platform::ToUtf8(m_details.bootloaderVersion);
    const std::string signature = Platform::ToUtf8(m_details.signature);
    m_infoText = Platform::FormatU(Platform::LoadString(IDS_INFO_TEXT).c_str(), type.c_str(), serial.c_str(),
                                   app.c_str(), hardware.c_str(), boot.c_str(), signature.c_str());
    return m_infoText;
}

std::u16string CKastelDevice::GetSerialNumber() const
{
    return m_details.serialNumber;
}

bool CKastelDevice::GetVersionList(CContents& contents)
{
    if (m_details.appVersion.empty()) {
        SDeviceInfo info;
        if (!Identify(info))
            return false;
    }
    contents.Clear();
    SContentEntry application;
    application.flags = 0x01;
    application.second = 0x01;
    application.kind = CONTENT_APPLICATION;
    application.version = CVersion(m_details.appVersion);
    contents.Append(application);
    SContentEntry bootloader;
    bootloader.kind = CONTENT_BOOTLOADER;
    bootloader.version = CVersion(m_details.bootloaderVersion);
    contents.Append(bootloader);
    return true;
}

int CKastelDevice::WriteDataBlock(uint8_t block, int length, uint8_t* buffer, uint32_t answerSize, int timeoutMs)
{
    if (length >= 47) {
        if (!m_commands)
            return WDB_FAILED;
        return m_commands->WriteLongBlock(block, length, buffer, timeoutMs);
    }
    return CVnDevice::WriteDataBlock(block, length, buffer, answerSize, timeoutMs);
}

void CKastelDevice::GetDetails(SDeviceDetails& details) const
{
    details = m_details;
}

} // namespace Device
