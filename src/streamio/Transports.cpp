// SPDX-License-Identifier: GPL-3.0-or-later
// The table of transports.  A new transport defines its row in a file of its
// own (see serial/SerialLink.cpp) and gets one entry below.
#include "streamio/Transports.h"

namespace StreamIO {

extern const STransport kUsbTransport;      // usb/UsbLink.cpp
extern const STransport kIpTransport;       // ip/IpLink.cpp
extern const STransport kSerialTransport;   // serial/SerialLink.cpp

namespace {

// In the order the connection wizard offers the kinds.  The spellings of the
// kinds do not overlap, so the order does not change what a text parses as.
const STransport* const kTable[] = {
    &kUsbTransport,
    &kIpTransport,
    &kSerialTransport,
};

} // namespace

std::span<const STransport* const> Transports()
{
    return kTable;
}

const STransport* FindTransport(ELinkKind kind)
{
    for (const STransport* transport : kTable) {
        if (transport->kind == kind)
            return transport;
    }
    return nullptr;
}

bool ParseLinkNumber(std::u16string_view digits, uint32_t highest, uint32_t& value)
{
    if (digits.empty())
        return false;
    uint64_t v = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + static_cast<uint64_t>(c - u'0');
        if (v > highest)
            return false;
    }
    if (v < 1)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

} // namespace StreamIO
