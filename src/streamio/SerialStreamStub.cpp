// Placeholder until the serial stream exists: serial names are refused with
// "not supported" instead of falling through to a disk file.
#include "streamio/StreamHooks.h"

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace StreamIO {

std::unique_ptr<CIoStream> CreateSerialStream(int port, uint32_t flags)
{
    // The serial stream names itself after the device path of the port.
    Platform::ThrowFileException(Platform::ERROR_NOT_SUPPORTED, Platform::Format("\\\\.\\COM%d", port));
}

} // namespace StreamIO
