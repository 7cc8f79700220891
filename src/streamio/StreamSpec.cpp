// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/StreamSpec.h"

#include <cstdio>

#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace StreamIO {

namespace {


// "COM" + 1..3 digits + ":" with a port number 1..256; four digits never
// name a port.  On success `port` and `afterColon` (index past the colon)
// are set.
bool ParseFactorySerialName(std::u16string_view name, uint32_t& port, size_t& afterColon)
{
    if (!Platform::StartsWithNoCase(name, u"COM"))
        return false;
    size_t i = 3;
    uint32_t value = 0;
    while (i < name.size() && i < 3 + 3 && name[i] >= u'0' && name[i] <= u'9') {
        value = value * 10 + static_cast<uint32_t>(name[i] - u'0');
        ++i;
    }
    const size_t digits = i - 3;
    if (digits == 0 || i >= name.size() || name[i] != u':')
        return false;
    if (value < kFirstComPort || value > kLastNamedComPort)
        return false;
    port = value;
    afterColon = i + 1;
    return true;
}

} // namespace

bool ParseSerialDeviceName(std::u16string_view name, uint32_t& port)
{
    if (!Platform::StartsWithNoCase(name, kSerialDevicePrefix) || name.size() == kSerialDevicePrefix.size())
        return false;
    uint64_t value = 0;
    for (size_t i = kSerialDevicePrefix.size(); i < name.size(); ++i) {
        if (name[i] < u'0' || name[i] > u'9')
            return false;
        value = value * 10 + static_cast<uint64_t>(name[i] - u'0');
        if (value > UINT32_MAX)
            return false;
    }
    port = static_cast<uint32_t>(value);
    return true;
}

std::u16string SerialDeviceName(uint32_t port)
{
    return Platform::Format("\\\\.\\COM%u", port);
}

void SplitHostPort(std::u16string_view name, std::string& host, std::string& port)
{
    host.clear();
    port.clear();
    const size_t last = name.rfind(u':');
    if (last == std::u16string_view::npos)
        return;
    port = Platform::ToUtf8(name.substr(last + 1));
    std::u16string_view before = name.substr(0, last);
    const size_t first = before.find(u':');
    if (first != std::u16string_view::npos)
        before = before.substr(first + 1);
    host = Platform::ToUtf8(before);
}

bool IsNumericHost(const std::string& host)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(host.c_str(), "%3u.%3u.%3u.%3u", &a, &b, &c, &d) != 4)
        return false;
    return a <= 255 && b <= 255 && c <= 255 && d <= 255;
}

SStreamSpec ParseStreamName(std::u16string_view name, uint32_t flags)
{
    SStreamSpec target;
    uint32_t port = 0;
    size_t afterColon = 0;
    if (ParseFactorySerialName(name, port, afterColon)) {
        target.kind = StreamKind::Serial;
        target.comPort = port;
        target.rest = std::u16string(name.substr(afterColon));
        target.link = SLinkSpec::Serial(port);
    } else if (ParseSerialDeviceName(name, port)) {
        target.kind = StreamKind::Serial;
        target.comPort = port;
        target.link = SLinkSpec::Serial(port);
    } else if (Platform::StartsWithNoCase(name, u"RAM:")) {
        target.kind = StreamKind::Ram;
        target.rest = std::u16string(name.substr(4));
    } else if (Platform::StartsWithNoCase(name, u"IP:")) {
        target.kind = StreamKind::Ip;
        target.rest = std::u16string(name.substr(3));
        SplitHostPort(target.rest, target.host, target.port);
        target.udp = (flags & SF_UDP) != 0;
        uint32_t number = 0;
        if (target.port.empty() || (target.port.find_first_not_of("0123456789") == std::string::npos &&
                                    target.port.size() <= 5 && (number = std::stoul(target.port)) <= 65535))
            target.link = SLinkSpec::Ip(target.host, static_cast<uint16_t>(number), target.udp);
    } else if (Platform::StartsWithNoCase(name, kUsbPathPrefix) && name.size() > kUsbPathPrefix.size()) {
        target.kind = StreamKind::Usb;
        target.usbPath = std::u16string(name);
        target.rest = target.usbPath;
        target.link = SLinkSpec::Usb(target.usbPath);
    } else {
        target.rest = std::u16string(name);
    }
    return target;
}

SLinkSpec LinkOfStreamName(std::u16string_view name)
{
    return ParseStreamName(name).link;
}

} // namespace StreamIO
