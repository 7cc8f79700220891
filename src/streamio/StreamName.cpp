#include "streamio/StreamName.h"

#include "platform/Text.h"

namespace StreamIO {

namespace {

// "COM" + 1..3 digits + ":" with a port number 1..256; four digits never
// name a port.  On success `port` and `afterColon` (index past the colon)
// are set.
bool ParseSerialName(std::u16string_view name, uint32_t& port, size_t& afterColon)
{
    if (!Platform::StartsWithNoCase(name, u"COM"))
        return false;
    size_t i = 3;
    uint32_t value = 0;
    while (i < name.size() && i < 3 + 3 && name[i] >= u'0' && name[i] <= u'9') {
        value = value * 10 + static_cast<uint32_t>(name[i] - u'0');
        ++i;
    }
    const size_t digits = i - 3;
    if (digits == 0 || i >= name.size() || name[i] != u':')
        return false;
    if (value < 1 || value > 256)
        return false;
    port = value;
    afterColon = i + 1;
    return true;
}

} // namespace

StreamNameInfo ClassifyStreamName(std::u16string_view name)
{
    StreamNameInfo info;
    uint32_t port = 0;
    size_t afterColon = 0;
    if (ParseSerialName(name, port, afterColon)) {
        info.kind = StreamKind::Serial;
        info.port = port;
        info.rest = std::u16string(name.substr(afterColon));
    } else if (Platform::StartsWithNoCase(name, u"RAM:")) {
        info.kind = StreamKind::Ram;
        info.rest = std::u16string(name.substr(4));
    } else if (Platform::StartsWithNoCase(name, u"IP:")) {
        info.kind = StreamKind::Ip;
        info.rest = std::u16string(name.substr(3));
    } else {
        info.kind = StreamKind::File;
        info.rest = std::u16string(name);
    }
    return info;
}

} // namespace StreamIO
