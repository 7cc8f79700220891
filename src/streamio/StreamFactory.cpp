// The factory: maps a stream name to the transport class and opens it.
#include "streamio/IoStream.h"

#include "streamio/StreamHooks.h"
#include "streamio/StreamSpec.h"
#include "streamio/file/FileStream.h"
#include "streamio/trace/WireTrace.h"

namespace StreamIO {

namespace {

std::unique_ptr<CIoStream> OpenTransport(const std::u16string& name, const SStreamSpec& target, uint32_t flags,
                                         const SerialSettings* settings)
{
    switch (target.kind) {
    case StreamKind::Serial:
        return CreateSerialStream(target.comPort, flags, settings);
    case StreamKind::Ram:
        // RAM streams always carry the prefix in upper case.
        return CreateRamStream(u"RAM:" + target.rest, flags);
    case StreamKind::Ip:
        return CreateIpStream(name, flags);
    case StreamKind::Usb:
        return CreateUsbStream(target.usbPath, flags);
    case StreamKind::File:
        break;
    }
    // The constructor opens and throws on failure; the object is freed then.
    return std::make_unique<CFileStream>(name, flags);
}

} // namespace

std::unique_ptr<CIoStream> OpenStream(const std::u16string& name, uint32_t flags, const SerialSettings* settings)
{
    const SStreamSpec target = ParseStreamName(name, flags);
    std::unique_ptr<CIoStream> stream = OpenTransport(name, target, flags, settings);
    const bool toInstrument = target.kind == StreamKind::Serial || target.kind == StreamKind::Ip ||
                              target.kind == StreamKind::Usb;
    if (toInstrument && IsWireTraceOn())
        stream = WrapForTrace(std::move(stream));
    return stream;
}

} // namespace StreamIO
