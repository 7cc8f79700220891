// SPDX-License-Identifier: GPL-3.0-or-later
// The generic part of links: every call finds the transport's row and lets
// it do the work, so nothing here knows a particular kind.
#include "streamio/LinkSpec.h"

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/Transports.h"
#include "streamio/trace/WireTrace.h"

namespace StreamIO {

SLinkSpec SLinkSpec::Serial(uint32_t comPort)
{
    SLinkSpec link;
    link.kind = ELinkKind::Serial;
    link.comPort = comPort;
    return link;
}

SLinkSpec SLinkSpec::SerialDevice(std::string devicePath)
{
    SLinkSpec link;
    link.kind = ELinkKind::Serial;
    link.devicePath = std::move(devicePath);
    return link;
}

SLinkSpec SLinkSpec::Ip(std::string host, uint16_t port, bool udp)
{
    SLinkSpec link;
    link.kind = ELinkKind::Ip;
    link.host = std::move(host);
    link.port = port;
    link.udp = udp;
    return link;
}

SLinkSpec SLinkSpec::Usb(std::u16string path)
{
    SLinkSpec link;
    link.kind = ELinkKind::Usb;
    link.usbPath = std::move(path);
    return link;
}

std::optional<SLinkSpec> ParseLink(std::u16string_view text)
{
    // A NUL would cut the text short at the system's interfaces.
    if (text.empty() || text.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    for (const STransport* transport : Transports()) {
        SLinkSpec link;
        if (transport->parse(text, link))
            return link;
    }
    return std::nullopt;
}

std::u16string FormatLink(const SLinkSpec& link)
{
    const STransport* transport = FindTransport(link.kind);
    return transport != nullptr ? transport->format(link) : std::u16string();
}

std::u16string LinkStreamName(const SLinkSpec& link)
{
    const STransport* transport = FindTransport(link.kind);
    return transport != nullptr ? transport->streamName(link) : std::u16string();
}

std::u16string LinkPortText(const SLinkSpec& link)
{
    const STransport* transport = FindTransport(link.kind);
    return transport != nullptr ? transport->portText(link) : std::u16string();
}

std::unique_ptr<CIoStream> OpenStream(const SLinkSpec& link, uint32_t flags, const SerialSettings* settings)
{
    const STransport* transport = FindTransport(link.kind);
    if (transport == nullptr)
        Platform::ThrowFileException(Platform::ERROR_INVALID_NAME, std::u16string());
    std::unique_ptr<CIoStream> stream = transport->open(link, flags, settings);
    if (IsWireTraceOn())
        stream = WrapForTrace(std::move(stream));
    return stream;
}

} // namespace StreamIO
