// Placeholder until the RAM disk exists: RAM names are refused with
// "not supported"; the disk itself is nothing to create or free yet.
#include "streamio/StreamHooks.h"

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace StreamIO {

std::unique_ptr<CIoStream> CreateRamStream(const std::u16string& name, uint32_t flags)
{
    Platform::ThrowFileException(Platform::ERROR_NOT_SUPPORTED, name);
}

bool CreateRamDisk()
{
    return true;
}

void FreeRamDisk()
{
}

} // namespace StreamIO
