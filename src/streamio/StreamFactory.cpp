// The factory: maps a stream name to the transport class and opens it.
#include "streamio/IoStream.h"

#include "streamio/file/FileStream.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamName.h"

namespace StreamIO {

std::unique_ptr<CIoStream> OpenStream(const std::u16string& name, uint32_t flags)
{
    const StreamNameInfo info = ClassifyStreamName(name);
    switch (info.kind) {
    case StreamKind::Serial:
        return CreateSerialStream(static_cast<int>(info.port), flags);
    case StreamKind::Ram:
        // RAM streams always carry the prefix in upper case.
        return CreateRamStream(u"RAM:" + info.rest, flags);
    case StreamKind::Ip:
        return CreateIpStream(name, flags);
    case StreamKind::File:
        break;
    }
    // The constructor opens and throws on failure; the object is freed then.
    return std::make_unique<CFileStream>(name, flags);
}

} // namespace StreamIO
