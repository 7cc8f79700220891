// SPDX-License-Identifier: GPL-3.0-or-later
// The IP transport's row: "IP:HOST[:PORT]" links, opened by host and port,
// and the search at the one address the user gave.
#include "platform/ErrorCodes.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/Transports.h"
#include "streamio/ip/IpStream.h"

namespace StreamIO {

namespace {

// The status line of the search: "Ethernet".
constexpr uint32_t kStatusEthernet = 45037;

// The longest host name the resolver takes.
constexpr size_t kMaxHostLength = 253;

// A name or an IPv4 address: no controls, spaces, slashes or colons (the
// sockets are IPv4 only, so an IPv6 address is no host here).
bool IsHostText(std::u16string_view host)
{
    if (host.empty() || host.size() > kMaxHostLength)
        return false;
    for (const char16_t c : host) {
        if (c <= u' ' || c == u'\x7f' || c == u'/' || c == u'\\' || c == u':' || c == u'[' || c == u']')
            return false;
    }
    return true;
}

bool ParseIp(std::u16string_view text, SLinkSpec& link)
{
    if (!Platform::StartsWithNoCase(text, kIpPrefix))
        return false;
    std::u16string_view host = text.substr(kIpPrefix.size());
    uint32_t port = kInstrumentTcpPort;
    if (const size_t colon = host.find(u':'); colon != std::u16string_view::npos) {
        const std::u16string_view digits = host.substr(colon + 1);
        host = host.substr(0, colon);
        // "IP:HOST:" leaves the port out as well.
        if (!digits.empty() && !ParseLinkNumber(digits, 65535, port))
            return false;
    }
    if (!IsHostText(host))
        return false;
    link = SLinkSpec::Ip(Platform::ToUtf8(host), static_cast<uint16_t>(port));
    return true;
}

std::u16string FormatIp(const SLinkSpec& link)
{
    return Platform::FromUtf8("IP:" + link.host + ":" + std::to_string(link.port));
}

std::u16string IpStreamName(const SLinkSpec& link)
{
    return Platform::FromUtf8(link.host + ":" + std::to_string(link.port));
}

// The search result names an IP instrument by its address alone.
std::u16string IpPortText(const SLinkSpec& link)
{
    return Platform::FromUtf8("IP:" + link.host);
}

std::unique_ptr<CIoStream> OpenIp(const SLinkSpec& link, uint32_t flags, const SerialSettings*)
{
    auto stream = std::make_unique<CIpStream>();
    stream->OpenHost(link.host, link.port, link.udp ? flags | SF_UDP : flags);
    return stream;
}

// The instrument port at the address given, once.
bool SearchIp(ILinkSearch& search)
{
    const std::u16string& address = search.Scope().address;
    search.Status(Platform::LoadString(kStatusEthernet) + u" " + address);
    if (!search.Ready())
        return false;
    uint32_t error = 0;
    const ILinkSearch::ETry result = search.Try(SLinkSpec::Ip(Platform::ToUtf8(address)), error);
    if (result == ILinkSearch::ETry::OpenFailed) {
        search.Status(Platform::LoadString(kStatusOpenFailed) + u"\n" +
                      Platform::FromUtf8(Platform::DescribeError(error)));
    }
    return result == ILinkSearch::ETry::Found;
}

} // namespace

// The transport's name in the connection wizard's list of kinds.
constexpr uint32_t kKindName = 50004;

extern const STransport kIpTransport = {
    ELinkKind::Ip, "IP", ParseIp, FormatIp, IpStreamName, IpPortText, OpenIp, SearchIp,
    kKindName,
    ELinkAddress::Host,
};

} // namespace StreamIO
