// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/usb/UsbDevicePath.h"

#include <cstdio>
#include <vector>

#include "platform/Text.h"

namespace StreamIO {

namespace {

constexpr const char* kBulkClass = "{00873fdf-61a8-11d1-aa5e-00c04fb1728b}";
constexpr const char* kHidClass = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

bool ParseHex4(const std::string& text, const char* prefix, uint16_t& value)
{
    const std::string p(prefix);
    if (text.size() != p.size() + 4 || text.compare(0, p.size(), p) != 0)
        return false;
    unsigned v = 0;
    for (size_t i = p.size(); i < text.size(); ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        v = v * 16 + static_cast<unsigned>(digit);
    }
    value = static_cast<uint16_t>(v);
    return true;
}

} // namespace

std::u16string MakeUsbDevicePath(const SUsbDevicePath& path)
{
    return Platform::Format("\\\\?\\%s#vid_%04x&pid_%04x#%s#%s", path.hid ? "hid" : "usb", path.vendor, path.product,
                            path.instance.c_str(), path.hid ? kHidClass : kBulkClass);
}

bool ParseUsbDevicePath(const std::u16string& text, SUsbDevicePath& path)
{
    const std::string s = Platform::ToUtf8(text);
    if (s.compare(0, 4, "\\\\?\\") != 0)
        return false;
    const std::vector<std::string> parts = Split(s.substr(4), '#');
    if (parts.size() != 4 || (parts[0] != "usb" && parts[0] != "hid"))
        return false;
    const std::vector<std::string> ids = Split(parts[1], '&');
    SUsbDevicePath p;
    p.hid = parts[0] == "hid";
    if (ids.size() != 2 || !ParseHex4(ids[0], "vid_", p.vendor) || !ParseHex4(ids[1], "pid_", p.product))
        return false;
    if (parts[2].empty() || parts[2].find('/') != std::string::npos || parts[2].find("..") != std::string::npos)
        return false;
    if (parts[3] != (p.hid ? kHidClass : kBulkClass))
        return false;
    p.instance = parts[2];
    path = p;
    return true;
}

bool IsProbeDevicePath(const std::u16string& path)
{
    const size_t at = path.find(u"vid_");
    return at != std::u16string::npos && path.compare(at + 4, 4, u"3317") == 0;
}

} // namespace StreamIO
