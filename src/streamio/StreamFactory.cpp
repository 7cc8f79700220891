// SPDX-License-Identifier: GPL-3.0-or-later
// The factory: maps a stream name to the transport class and opens it.
#include "streamio/IoStream.h"

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/LinkSpec.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamSpec.h"
#include "streamio/file/FileStream.h"

namespace StreamIO {

std::unique_ptr<CIoStream> OpenStream(const std::u16string& name, uint32_t flags, const SerialSettings* settings)
{
    const SStreamSpec target = ParseStreamName(name, flags);
    if (target.kind == StreamKind::Ram) {
        // RAM streams always carry the prefix in upper case.
        return CreateRamStream(u"RAM:" + target.rest, flags);
    }
    if (target.kind == StreamKind::File) {
        // The constructor opens and throws on failure; the object is freed then.
        return std::make_unique<CFileStream>(name, flags);
    }
    // A transport to an instrument.  An IP name with a service name instead
    // of a port number is refused as the lookup refuses an unknown service.
    if (target.link.kind == ELinkKind::None)
        Platform::ThrowFileException(Platform::WSATYPE_NOT_FOUND, target.rest);
    return OpenStream(target.link, flags, settings);
}

} // namespace StreamIO
