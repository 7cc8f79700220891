// The device thread's search jobs: JobSearch looks for instruments of one
// type on the chosen ports and hands each one that identifies itself to the
// callback; JobReconnect waits for one given instrument to come back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "device/DeviceThread.h"
#include "streamio/serial/SerialSettings.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

class CCallback;

// Opens serial port `port` with the device's line settings; throws the open
// failure (a file exception) or returns null when the port cannot be used.
using SerialPortOpener =
    std::function<std::unique_ptr<StreamIO::CIoStream>(uint32_t port, const StreamIO::SerialSettings& settings)>;

// The opener used by the search: the serial stream by default.  Tests and the
// demonstration mode may put another in place; null restores the default.
void SetSerialPortOpener(SerialPortOpener opener);

// Opens the serial stream of COM<port> (the default opener).
std::unique_ptr<StreamIO::CIoStream> OpenSerialPort(uint32_t port, const StreamIO::SerialSettings& settings);

// The highest COM number a scan tries.
constexpr uint32_t kLastComPort = 256;

// Runs a search with `params` (see SSearchParams) and reports to `callback`:
// status lines, each instrument found (OnDeviceFound with the device), and at
// the end, unless aborted, OnDeviceFound(null).
void JobSearch(CCallback& callback, const SSearchParams& params);

// Repeats the search until an instrument with params.serialNumber answers or
// params.reconnectTimeoutMs has passed since the start.
void JobReconnect(CCallback& callback, const SSearchParams& params);

} // namespace Device
