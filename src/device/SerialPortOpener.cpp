// The default opener of the search: the serial stream of a COM port.
#include "device/SearchJobs.h"

#include "streamio/serial/Rs232Stream.h"

namespace Device {

std::unique_ptr<StreamIO::CIoStream> OpenSerialPort(uint32_t port, const StreamIO::SerialSettings& settings)
{
    return std::make_unique<StreamIO::CRs232Stream>(port, StreamIO::SF_READ | StreamIO::SF_WRITE, &settings);
}

} // namespace Device
