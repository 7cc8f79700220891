// SPDX-License-Identifier: GPL-3.0-or-later
// The link to an instrument as one typed value: which transport (serial
// port, USB interface, IP socket) and that transport's parts.  Every
// spelling a user, a settings file or a stream name gives for a link is read
// by ParseLink and written by FormatLink; OpenStream opens a link without
// going through text again.
//
// Spellings ParseLink accepts (prefixes without regard to ASCII case):
//  - serial: "COM3:", "COM3", "\\.\COM3" or "3", COM 1 to kLastComPort;
//  - serial by device file: an absolute path ("/dev/ttyUSB0", spaces
//    allowed), which ResolveComPort turns into the COM number that leads to
//    it;
//  - IP: "IP:HOST[:PORT]", port 1 to 65535, kInstrumentTcpPort when left
//    out (also after a bare colon); the host is a name or an IPv4 address
//    (the sockets are IPv4 only, so a host with a colon is refused);
//  - USB: a device interface path, "\\?\" and the path the enumeration
//    gives.
// The port texts the connection wizard shows ("COM3", "IP:10.0.0.9") are
// such spellings too.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace StreamIO {

class CIoStream;
struct SerialSettings;

// The transports, valued as the device layer's port-kind bits (NPorts), so
// one converts to the other by a cast.
enum class ELinkKind : int32_t {
    None = 0,
    Serial = 1,
    Usb = 2,
    Ip = 4,
};

// The COM numbers a link holds: what the wizard's field offers and its
// setting stores, and what a serial device name "\\.\COM<n>" may carry.
constexpr uint32_t kFirstComPort = 1;
constexpr uint32_t kLastComPort = 9998;
// The COM numbers the short names reach: the stream factory's "COM<n>:"
// (three digits), a scan of every port, the command line, the simulator's
// port map and the test registry.
constexpr uint32_t kLastNamedComPort = 256;
// The TCP port of the instrument's Ethernet interface.
constexpr uint16_t kInstrumentTcpPort = 3728;

inline constexpr std::u16string_view kComPrefix = u"COM";
inline constexpr std::u16string_view kSerialDevicePrefix = u"\\\\.\\COM";
inline constexpr std::u16string_view kIpPrefix = u"IP:";
inline constexpr std::u16string_view kUsbPathPrefix = u"\\\\?\\";

struct SLinkSpec {
    ELinkKind kind = ELinkKind::None;
    uint32_t comPort = 0;           // Serial: the COM number; 0 while only the device file is known
    std::string devicePath;         // Serial: the device file it was given as, else empty
    std::string host;               // Ip: name or address (UTF-8); empty: the passive side
    uint16_t port = 0;              // Ip: the TCP or UDP port
    bool udp = false;               // Ip: UDP instead of TCP
    std::u16string usbPath;         // Usb: the device interface path

    static SLinkSpec Serial(uint32_t comPort);
    static SLinkSpec SerialDevice(std::string devicePath);
    static SLinkSpec Ip(std::string host, uint16_t port = kInstrumentTcpPort, bool udp = false);
    static SLinkSpec Usb(std::u16string path);

    bool operator==(const SLinkSpec&) const = default;
};

// The link `text` spells, or nothing for text of no accepted form.
std::optional<SLinkSpec> ParseLink(std::u16string_view text);

// The link's canonical spelling, which ParseLink reads back as the same
// value: "COM3", the device file, "IP:HOST:PORT", the USB path.  Empty for
// no link.
std::u16string FormatLink(const SLinkSpec& link);

// The name the opened stream carries: "\\.\COM3", "HOST:PORT", the USB path.
std::u16string LinkStreamName(const SLinkSpec& link);

// The port as the search result lists it: "COM3", "IP:HOST"; empty for a
// USB link (its path says nothing to a user) and for no link.
std::u16string LinkPortText(const SLinkSpec& link);

// The link of an opened instrument stream, read from its name (as
// LinkStreamName writes it, or a factory name); kind None for other names.
SLinkSpec LinkOfStreamName(std::u16string_view name);

// The COM port (kFirstComPort to kLastNamedComPort) whose device file is
// `devicePath`, links followed on both sides; 0 when there is none.
uint32_t ResolveComPort(const std::string& devicePath);

// Opens the link's transport: the serial port by its number (a link given
// by device file is resolved first; one no COM port leads to fails with 2),
// the socket by host and port (UDP when the link or SF_UDP in `flags` says
// so), the USB interface by its path.  `settings` set up a serial port (see
// the factory in IoStream.h).  Wrapped by the wire trace when it is on.
// Throws the open failure as a file exception naming the link's stream
// name; a link of kind None fails with 123.
std::unique_ptr<CIoStream> OpenStream(const SLinkSpec& link, uint32_t flags, const SerialSettings* settings = nullptr);

} // namespace StreamIO
