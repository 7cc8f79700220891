// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/PortText.h"

#include "connection/ConnectionStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Connection {

std::u16string PortTextOfLink(const StreamIO::SLinkSpec& link)
{
    const std::u16string port = StreamIO::LinkPortText(link);
    if (port.empty())
        return port;
    return Platform::LoadString(ConnectionStrings::kPortTextPrefix) + port;
}

std::u16string PortTextOfStream(const std::u16string& streamName)
{
    return PortTextOfLink(StreamIO::LinkOfStreamName(streamName));
}

std::u16string SearchEntryText(const std::u16string& typeName, const std::u16string& serial,
                               const StreamIO::SLinkSpec& link)
{
    return Platform::FormatU(Platform::LoadString(ConnectionStrings::kEntryText).c_str(),
                             Platform::ToUtf8(typeName).c_str(), Platform::ToUtf8(serial).c_str(),
                             Platform::ToUtf8(PortTextOfLink(link)).c_str());
}

} // namespace Connection
