#include "DevicePortText.h"

#include "CliCommon.h"
#include "DeviceCliStrings.h"
#include "platform/Text.h"

namespace Cli {

std::u16string PortTextOfStream(const std::u16string& streamName)
{
    constexpr std::u16string_view serialPrefix = u"\\\\.\\COM";
    std::u16string port;
    if (Platform::StartsWithNoCase(streamName, u"COM")) {
        port = streamName;
    } else if (Platform::StartsWithNoCase(streamName, u"IP:")) {
        port = streamName.substr(0, streamName.rfind(u':'));
    } else if (Platform::StartsWithNoCase(streamName, serialPrefix)) {
        port = u"COM" + streamName.substr(serialPrefix.size());
    }
    if (port.empty())
        return port;
    return Text(kSearchPortPrefix) + port;
}

std::u16string SearchListLine(const std::u16string& typeName, const std::u16string& serial,
                              const std::u16string& streamName)
{
    return Platform::FormatU(Text(kSearchListLine).c_str(), Platform::ToUtf8(typeName).c_str(),
                             Platform::ToUtf8(serial).c_str(), Platform::ToUtf8(PortTextOfStream(streamName)).c_str());
}

} // namespace Cli
