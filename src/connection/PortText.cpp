#include "connection/PortText.h"

#include <string_view>

#include "connection/ConnectionStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Connection {

namespace {
// The serial stream's device name: the Win32 path \\.\COM and the number.
constexpr std::u16string_view kSerialDevicePrefix = u"\\\\.\\COM";
} // namespace

std::u16string PortTextOfStream(const std::u16string& streamName)
{
    std::u16string port;
    if (Platform::StartsWithNoCase(streamName, u"COM")) {
        port = streamName;
    } else if (Platform::StartsWithNoCase(streamName, u"IP:")) {
        port = streamName.substr(0, streamName.rfind(u':'));
    } else if (Platform::StartsWithNoCase(streamName, kSerialDevicePrefix)) {
        port = u"COM" + streamName.substr(kSerialDevicePrefix.size());
    }
    if (port.empty())
        return port;
    return Platform::LoadString(ConnectionStrings::kPortTextPrefix) + port;
}

std::u16string SearchEntryText(const std::u16string& typeName, const std::u16string& serial,
                               const std::u16string& streamName)
{
    return Platform::FormatU(Platform::LoadString(ConnectionStrings::kEntryText).c_str(),
                             Platform::ToUtf8(typeName).c_str(), Platform::ToUtf8(serial).c_str(),
                             Platform::ToUtf8(PortTextOfStream(streamName)).c_str());
}

} // namespace Connection
