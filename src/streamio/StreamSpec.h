// SPDX-License-Identifier: GPL-3.0-or-later
// The one reading of a stream name: which transport it asks for and the
// parts that transport needs (COM number, host and port, USB device path).
//
// Names, tested in this order, prefixes without regard to ASCII case:
//  - serial: "COM" + 1 to 3 decimal digits + ":" with a value of 1 to 256
//    (the factory's form, "COM3:"), or the serial device name "\\.\COM<n>"
//    a serial stream carries (any decimal number);
//  - RAM: "RAM:" + the file name;
//  - IP: "IP:" + host:port (see SplitHostPort);
//  - USB: a device interface path, "\\?\" + the path the USB enumeration
//    gives;
//  - anything else is a disk path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "streamio/LinkSpec.h"

namespace StreamIO {

enum class StreamKind {
    File,
    Serial,
    Ram,
    Ip,
    Usb,
};

struct SStreamSpec {
    StreamKind kind = StreamKind::File;
    uint32_t comPort = 0;       // Serial: the COM number
    std::string host;           // Ip: the host (narrow text); empty: the passive side
    std::string port;           // Ip: the service name or number; empty: none
    bool udp = false;           // Ip: SF_UDP was given with the name
    std::u16string usbPath;     // Usb: the device interface path (the whole name)
    // The name after its prefix: File the whole name, Serial what follows the
    // colon of "COM<n>:" (empty for a device name), Ram the file name, Ip the
    // name without "IP:", Usb the whole name.
    std::u16string rest;
    // Serial, Ip, Usb: the link the name gives.  An IP name whose port is
    // not a number from 0 to 65535 gives none.
    SLinkSpec link;
};

// Reads `name`; `flags` (the open flags) give the IP stream's UDP choice.
SStreamSpec ParseStreamName(std::u16string_view name, uint32_t flags = 0);

// The serial device name of COM<port>: "\\.\COM<port>".
std::u16string SerialDeviceName(uint32_t port);

// "\\.\COM" followed by decimal digits only (any case); the number may be 0
// or larger than any port: such a port has no device, which is not a bad
// name.  False for every other name or a number beyond 32 bits.
bool ParseSerialDeviceName(std::u16string_view name, uint32_t& port);

// Host and port of an IP name without its "IP:" prefix: the last colon
// separates the port (the text after it, when not empty); the host is the
// text before the last colon, starting after the first colon when there is
// one before it.  A name without a colon gives neither.  Both come out as
// narrow (UTF-8) text.
void SplitHostPort(std::u16string_view name, std::string& host, std::string& port);

// True when `host` reads with "%3u.%3u.%3u.%3u" as four numbers of at most
// 255: the lookup then takes it as a numeric address.
bool IsNumericHost(const std::string& host);

} // namespace StreamIO
