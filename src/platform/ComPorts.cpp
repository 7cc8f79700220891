// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ComPorts.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace Platform {

namespace {

std::u16string ValueName(int n)
{
    return Format("COM%d", n);
}

std::mutex g_sysfsLock;
std::string g_sysfsRoot = "/sys";

std::string SysfsRoot()
{
    std::lock_guard<std::mutex> guard(g_sysfsLock);
    return g_sysfsRoot;
}

// The first word of a sysfs attribute; empty when it cannot be read.
std::string ReadAttribute(const std::string& path)
{
    std::ifstream in(path);
    std::string word;
    in >> word;
    return word;
}

// The kernel's name of a device file: "ttyS0" for "/dev/ttyS0" or a link to it.
std::string TtyName(const std::string& devicePath)
{
    std::string path = devicePath;
    if (char* real = ::realpath(devicePath.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A default ttyS device whose port type is unknown has no UART behind it.
bool IsMissingUart(const std::string& devicePath)
{
    const std::string name = TtyName(devicePath);
    if (name.rfind("ttyS", 0) != 0)
        return false;
    return ReadAttribute(SysfsRoot() + "/class/tty/" + name + "/type") == "0";
}

std::string DefaultDevice(int n)
{
    std::string path = DefaultComPortDevicePath(n);
    if (!path.empty() && IsMissingUart(path))
        return {};
    return path;
}

} // namespace

void SetSysfsRoot(const std::string& root)
{
    std::lock_guard<std::mutex> guard(g_sysfsLock);
    g_sysfsRoot = root.empty() ? std::string("/sys") : root;
}

bool IsSystemConsole(const std::string& devicePath)
{
    if (devicePath.empty())
        return false;
    const std::string name = TtyName(devicePath);
    if (name == "console")
        return true;
    std::ifstream in(SysfsRoot() + "/class/tty/console/active");
    std::string active;
    while (in >> active) {
        if (active == name)
            return true;
    }
    return false;
}

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

namespace {

std::mutex& ProcessMapLock()
{
    static std::mutex lock;
    return lock;
}

std::map<int, std::string>& ProcessMap()
{
    static auto* map = new std::map<int, std::string>;
    return *map;
}

} // namespace

void SetProcessComPortDevicePath(int n, const std::string& devicePath)
{
    std::lock_guard<std::mutex> guard(ProcessMapLock());
    if (devicePath.empty())
        ProcessMap().erase(n);
    else
        ProcessMap()[n] = devicePath;
}

bool HasProcessComPortDevicePath(int n)
{
    std::lock_guard<std::mutex> guard(ProcessMapLock());
    return ProcessMap().count(n) != 0;
}

std::string ComPortDevicePath(int n)
{
    if (n < 1)
        return {};
    {
        std::lock_guard<std::mutex> guard(ProcessMapLock());
        const auto it = ProcessMap().find(n);
        if (it != ProcessMap().end())
            return it->second;
    }
    CRegKey key;
    const uint32_t rc = key.Open(kComPortsKey, CRegKey::Read);
    if (rc == ERROR_FILE_NOT_FOUND)
        return DefaultDevice(n);
    // A store that cannot be read may hold a mapping: opening some other
    // device than the one the user chose would be worse than opening none.
    if (rc != ERROR_SUCCESS)
        return {};
    // Only a text value maps a port; a value of another type is ignored.
    std::u16string mapped;
    if (key.QueryString(ValueName(n), mapped) == ERROR_SUCCESS)
        return ToUtf8(mapped);
    return DefaultDevice(n);
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
