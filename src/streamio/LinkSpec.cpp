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
    return SLinkSpec{.kind = ELinkKind::Serial, .comPort = comPort};
}

SLinkSpec SLinkSpec::SerialDevice(std::string devicePath)
{
    return SLinkSpec{.kind = ELinkKind::Serial, .devicePath = std::move(devicePath)};
}

SLinkSpec SLinkSpec::Ip(std::string host, uint16_t port, bool udp)
{
    return SLinkSpec{.kind = ELinkKind::Ip, .host = std::move(host), .port = port, .udp = udp};
}

SLinkSpec SLinkSpec::Usb(std::u16string path)
{
    return SLinkSpec{.kind = ELinkKind::Usb, .usbPath = std::move(path)};
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
