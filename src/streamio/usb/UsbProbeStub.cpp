// Placeholder until the USB streams exist: USB device paths are refused with
// "not supported"; nobody waits on "VovCloseEvent" yet, so there is nothing
// to set.
#include "streamio/StreamHooks.h"

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace StreamIO {

std::unique_ptr<CIoStream> CreateUsbStream(const std::u16string& path, uint32_t flags)
{
    Platform::ThrowFileException(Platform::ERROR_NOT_SUPPORTED, path);
}

void SetVovCloseEvent()
{
}

} // namespace StreamIO
