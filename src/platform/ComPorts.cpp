#include "platform/ComPorts.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace Platform {

namespace {

std::u16string ValueName(int n)
{
    return Format("COM%d", n);
}

} // namespace

std::string DefaultComPortDevicePath(int n)
{
    if (n >= 1 && n <= 32)
        return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 33 && n <= 64)
        return "/dev/ttyUSB" + std::to_string(n - 33);
    if (n >= 65 && n <= 96)
        return "/dev/ttyACM" + std::to_string(n - 65);
    return {};
}

std::string ComPortDevicePath(int n)
{
    if (n < 1)
        return {};
    CRegKey key;
    const uint32_t rc = key.Open(kComPortsKey, CRegKey::Read);
    if (rc == ERROR_FILE_NOT_FOUND)
        return DefaultComPortDevicePath(n);
    // A store that cannot be read may hold a mapping: opening some other
    // device than the one the user chose would be worse than opening none.
    if (rc != ERROR_SUCCESS)
        return {};
    // Only a text value maps a port; a value of another type is ignored.
    std::u16string mapped;
    if (key.QueryString(ValueName(n), mapped) == ERROR_SUCCESS)
        return ToUtf8(mapped);
    return DefaultComPortDevicePath(n);
}

uint32_t SetComPortDevicePath(int n, std::string_view devicePath)
{
    if (n < 1)
        return ERROR_INVALID_PARAMETER;
    CRegKey key;
    uint32_t rc = key.Create(kComPortsKey);
    if (rc == ERROR_SUCCESS)
        rc = key.SetString(ValueName(n), FromUtf8(devicePath));
    return rc;
}

uint32_t RemoveComPortDevicePath(int n)
{
    if (n < 1)
        return ERROR_INVALID_PARAMETER;
    CRegKey key;
    uint32_t rc = key.Open(kComPortsKey);
    if (rc == ERROR_SUCCESS)
        rc = key.DeleteValue(ValueName(n));
    return rc;
}

} // namespace Platform
