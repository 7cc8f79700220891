// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/WizardSettings.h"

#include "connection/ConnectionStrings.h"
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"

namespace {

constexpr char16_t kWizardSubKey[] = u"\\ConnWizard";
constexpr char16_t kExpress[] = u"Express";
constexpr char16_t kDeviceType[] = u"DeviceType";
constexpr char16_t kComPort[] = u"ComPort";
constexpr char16_t kCommPort[] = u"CommPort";
constexpr char16_t kScan[] = u"Scan";
constexpr char16_t kStopScan[] = u"Stop Scan";
constexpr char16_t kIpAddress[] = u"IP Address";

// A DWORD value; missing or of another type reads as 0.
uint32_t ReadDword(const Platform::CRegKey& key, const char16_t* name)
{
    uint32_t value = 0;
    if (key.QueryDword(name, value) != Platform::ERROR_SUCCESS)
        return 0;
    return value;
}

} // namespace

std::u16string CConnWizardSettings::DefaultKey()
{
    std::u16string key = Platform::LoadString(ConnectionStrings::kUpgradeSettingsKey);
    if (!key.empty())
        key += kWizardSubKey;
    return key;
}

Device::NTypes CConnWizardSettings::ReadDeviceType(uint32_t stored)
{
    return stored <= static_cast<uint32_t>(Device::TYPE_LAST) ? static_cast<Device::NTypes>(stored) : 0;
}

uint32_t CConnWizardSettings::ReadComPort(uint32_t stored)
{
    return stored >= 1 && stored <= kLastComPort ? stored : 1;
}

Device::NPorts CConnWizardSettings::ReadPortKind(uint32_t stored)
{
    return stored >= 1 && stored <= kLastComPort ? static_cast<Device::NPorts>(stored) : Device::PORT_NONE;
}

uint32_t CConnWizardSettings::WrittenComPort(uint32_t port)
{
    return port == 0 || port > kLastComPort + 1 ? 1 : port;
}

uint32_t CConnWizardSettings::Load(const std::u16string& keyPath)
{
    Platform::CRegKey key;
    const uint32_t opened = key.Open(keyPath, Platform::CRegKey::Read);
    if (opened != Platform::ERROR_SUCCESS)
        return opened;
    express = ReadDword(key, kExpress) != 0;
    deviceType = ReadDeviceType(ReadDword(key, kDeviceType));
    comPort = ReadComPort(ReadDword(key, kComPort));
    portKind = ReadPortKind(ReadDword(key, kCommPort));
    scanAll = ReadDword(key, kScan) != 0;
    stopAtFirst = ReadDword(key, kStopScan) != 0;
    std::u16string ip;
    if (key.QueryString(kIpAddress, ip) != Platform::ERROR_SUCCESS)
        ip.clear();
    if (ip.size() > kMaxIpText)
        ip.resize(kMaxIpText);
    ipAddress = ip;
    return Platform::ERROR_SUCCESS;
}

uint32_t CConnWizardSettings::Store(const std::u16string& keyPath, const Device::NTypes* heldType) const
{
    Platform::CRegKey key;
    if (const uint32_t created = key.Create(keyPath))
        return created;
    const uint32_t type = static_cast<uint32_t>(heldType != nullptr ? *heldType : deviceType);
    const struct {
        const char16_t* name;
        uint32_t value;
    } dwords[] = {
        {kExpress, express ? 1u : 0u},
        {kDeviceType, type},
        {kComPort, WrittenComPort(comPort)},
        {kCommPort, static_cast<uint32_t>(portKind)},
        {kScan, scanAll ? 1u : 0u},
        {kStopScan, stopAtFirst ? 1u : 0u},
    };
    for (const auto& d : dwords) {
        if (const uint32_t error = key.SetDword(d.name, d.value))
            return error;
    }
    return key.SetString(kIpAddress, ipAddress);
}
