// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/usb/UsbEnumeration.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

#include "platform/ErrorCodes.h"
#include "platform/StringTable.h"
#include "streamio/usb/UsbDevicePath.h"

namespace StreamIO {

namespace {

enum : uint32_t {
    IDS_USB_NO_BUS = 41001,
    IDS_USB_NO_HIDRAW = 41002,
};

bool IsFolder(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entries of a folder, sorted; false when it cannot be read.
bool ListFolder(const std::string& path, std::vector<std::string>& names, uint32_t& error)
{
    names.clear();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        error = Platform::ErrorFromErrno(errno);
        return false;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

std::string ReadLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool ReadHex4(const std::string& path, uint16_t& value)
{
    unsigned v = 0;
    if (std::sscanf(ReadLine(path).c_str(), "%x", &v) != 1 || v > 0xFFFF)
        return false;
    value = static_cast<uint16_t>(v);
    return true;
}

void SetNote(std::u16string* note, uint32_t id)
{
    if (note != nullptr)
        *note = Platform::LoadString(id);
}

} // namespace

uint32_t EnumBulkDevices(std::vector<std::u16string>& paths, std::u16string* note, const std::string& sysfsRoot)
{
    paths.clear();
    if (note != nullptr)
        note->clear();
    const std::string devices = sysfsRoot + "/bus/usb/devices";
    if (!IsFolder(devices)) {
        SetNote(note, IDS_USB_NO_BUS);
        return 0;
    }
    std::vector<std::string> names;
    uint32_t error = 0;
    if (!ListFolder(devices, names, error))
        return error;
    for (const std::string& name : names) {
        // Interfaces are named <device>:<configuration>.<interface>.
        const size_t colon = name.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string device = devices + "/" + name.substr(0, colon);
        SUsbDevicePath path;
        if (!ReadHex4(device + "/idVendor", path.vendor) || path.vendor != kMakerVendorId ||
            !ReadHex4(device + "/idProduct", path.product))
            continue;
        bool in = false, out = false;
        std::vector<std::string> endpoints;
        uint32_t ignored = 0;
        if (!ListFolder(devices + "/" + name, endpoints, ignored))
            continue;
        for (const std::string& ep : endpoints) {
            if (ep.compare(0, 3, "ep_") != 0)
                continue;
            const std::string folder = devices + "/" + name + "/" + ep;
            if (ReadLine(folder + "/type") != "Bulk")
                continue;
            const std::string direction = ReadLine(folder + "/direction");
            in = in || direction == "in";
            out = out || direction == "out";
        }
        if (!in || !out)
            continue;
        path.instance = name;
        paths.push_back(MakeUsbDevicePath(path));
    }
    return 0;
}

uint32_t EnumProbeDevices(std::vector<std::u16string>& paths, std::u16string* note, const std::string& sysfsRoot)
{
    paths.clear();
    if (note != nullptr)
        note->clear();
    const std::string hidraw = sysfsRoot + "/class/hidraw";
    if (!IsFolder(hidraw)) {
        SetNote(note, IsFolder(sysfsRoot + "/bus/usb/devices") ? IDS_USB_NO_HIDRAW : IDS_USB_NO_BUS);
        return 0;
    }
    std::vector<std::string> names;
    uint32_t error = 0;
    if (!ListFolder(hidraw, names, error))
        return error;
    if (names.empty())
        SetNote(note, IsFolder(sysfsRoot + "/bus/usb/devices") ? IDS_USB_NO_HIDRAW : IDS_USB_NO_BUS);
    uint32_t last = 0;
    for (const std::string& name : names) {
        // HID_ID=<bus>:<vendor>:<product>, bus 0003 is USB.
        std::ifstream in(hidraw + "/" + name + "/device/uevent");
        if (!in) {
            last = Platform::ERROR_FILE_NOT_FOUND;   // a detail that cannot be read is skipped
            continue;
        }
        unsigned bus = 0, vendor = 0, product = 0;
        bool found = false;
        for (std::string line; std::getline(in, line);) {
            if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &vendor, &product) == 3) {
                found = true;
                break;
            }
        }
        if (!found || bus != 3 || vendor > 0xFFFF || product > 0xFFFF)
            continue;
        SUsbDevicePath path;
        path.hid = true;
        path.vendor = static_cast<uint16_t>(vendor);
        path.product = static_cast<uint16_t>(product);
        path.instance = name;
        const std::u16string text = MakeUsbDevicePath(path);
        if (IsProbeDevicePath(text))
            paths.push_back(text);
    }
    return last;
}

} // namespace StreamIO
