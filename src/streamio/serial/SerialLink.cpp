// SPDX-License-Identifier: GPL-3.0-or-later
// The serial transport's row: COM links, opened by number, and the search
// over one port or every named port.
#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamSpec.h"
#include "streamio/Transports.h"
#include "streamio/serial/Rs232Stream.h"

namespace StreamIO {

namespace {

// Status lines of the search: "Serial", "COM%d:", the console not searched.
constexpr uint32_t kStatusSerial = 45030;
constexpr uint32_t kStatusComPort = 45031;
constexpr uint32_t kStatusConsoleSkipped = 45080;

bool ParseSerial(std::u16string_view text, SLinkSpec& link)
{
    if (text.front() == u'/') {
        link = SLinkSpec::SerialDevice(Platform::ToUtf8(text));
        return true;
    }
    std::u16string_view digits = text;
    if (Platform::StartsWithNoCase(text, kSerialDevicePrefix)) {
        digits.remove_prefix(kSerialDevicePrefix.size());
    } else if (Platform::StartsWithNoCase(text, kComPrefix)) {
        digits.remove_prefix(kComPrefix.size());
        if (!digits.empty() && digits.back() == u':')
            digits.remove_suffix(1);
    }
    uint32_t port = 0;
    if (!ParseLinkNumber(digits, kLastComPort, port))
        return false;
    link = SLinkSpec::Serial(port);
    return true;
}

std::u16string FormatSerial(const SLinkSpec& link)
{
    if (link.comPort == 0)
        return Platform::FromUtf8(link.devicePath);
    return Platform::Format("COM%u", link.comPort);
}

std::u16string SerialStreamName(const SLinkSpec& link)
{
    if (link.comPort == 0)
        return Platform::FromUtf8(link.devicePath);
    return SerialDeviceName(link.comPort);
}

std::unique_ptr<CIoStream> OpenSerial(const SLinkSpec& link, uint32_t flags, const SerialSettings* settings)
{
    // A link given by device file opens the COM port that leads to it; a
    // number without device (0, or one too large) fails in the stream.
    uint32_t port = link.comPort;
    if (port == 0 && !link.devicePath.empty()) {
        port = ResolveComPort(link.devicePath);
        if (port == 0)
            Platform::ThrowFileException(Platform::ERROR_FILE_NOT_FOUND, Platform::FromUtf8(link.devicePath));
    }
    return CreateSerialStream(port, flags, settings);
}

// One port, or every named port but the one to skip; a scan never writes
// to the terminal that carries the system console.
bool SearchSerial(ILinkSearch& search)
{
    const SLinkSearchScope& scope = search.Scope();
    const bool scan = scope.scanAll;
    uint32_t port = scan ? kFirstComPort : scope.comPort;
    bool found = false;
    for (;; ++port) {
        if (scan && port == scope.skipComPort) {
            if (port >= kLastNamedComPort)
                break;
            continue;
        }
        if (!search.Ready())
            break;
        search.Status(Platform::LoadString(kStatusSerial) + u" " +
                      Platform::FormatU(Platform::LoadString(kStatusComPort).c_str(), static_cast<int>(port)));
        if (scan && Platform::IsSystemConsole(Platform::ComPortDevicePath(static_cast<int>(port)))) {
            search.Status(Platform::LoadString(kStatusConsoleSkipped));
            if (search.Aborted() || port >= kLastNamedComPort)
                break;
            continue;
        }
        uint32_t openError = 0;
        const ILinkSearch::ETry result = search.Try(SLinkSpec::Serial(port), openError);
        if (result == ILinkSearch::ETry::OpenFailed) {
            // A second line says why: in use, not permitted (and how to get
            // the permission), no such device, not a serial port.
            search.Status(Platform::LoadString(kStatusOpenFailed));
            search.Status(CRs232Stream::DescribeOpenError(port, openError));
        } else if (result == ILinkSearch::ETry::Found) {
            found = true;
        }
        if (search.Aborted())
            break;
        if (!(scan && port < kLastNamedComPort && !(scope.stopAtFirst && found)))
            break;
    }
    return found;
}

} // namespace

uint32_t ResolveComPort(const std::string& devicePath)
{
    const std::string wanted = Platform::ResolveLinks(devicePath);
    if (wanted.empty())
        return 0;
    for (uint32_t n = kFirstComPort; n <= kLastNamedComPort; ++n) {
        const std::string device = Platform::ComPortDevicePath(static_cast<int>(n));
        if (!device.empty() && Platform::ResolveLinks(device) == wanted)
            return n;
    }
    return 0;
}

// The transport's name in the connection wizard's list of kinds.
constexpr uint32_t kKindName = 50001;

extern const STransport kSerialTransport = {
    ELinkKind::Serial, "serial", ParseSerial, FormatSerial, SerialStreamName, FormatSerial, OpenSerial, SearchSerial,
    kKindName,
    ELinkAddress::ComNumber,
};

} // namespace StreamIO
