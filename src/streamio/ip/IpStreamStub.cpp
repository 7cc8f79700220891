// Placeholder until the IP stream exists: IP names are refused with
// "not supported"; there is no socket library to start or release yet.
#include "streamio/StreamHooks.h"

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace StreamIO {

std::unique_ptr<CIoStream> CreateIpStream(const std::u16string& name, uint32_t flags)
{
    // The IP stream is named without its prefix.
    std::u16string rest = name;
    if (Platform::StartsWithNoCase(rest, u"IP:"))
        rest.erase(0, 3);
    Platform::ThrowFileException(Platform::ERROR_NOT_SUPPORTED, rest);
}

bool InitializeSocketLock()
{
    return true;
}

void CleanupSockets()
{
}

} // namespace StreamIO
