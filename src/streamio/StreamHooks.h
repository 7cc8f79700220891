// SPDX-License-Identifier: GPL-3.0-or-later
// Internal seams of the StreamIO library: the places where the serial, RAM,
// IP and USB transports plug into the factory and into start-up/shutdown.
//
// Each group is defined by its transport's own sources.  Not for use
// outside src/streamio.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace StreamIO {

class CIoStream;
struct SerialSettings;

// Serial (Rs232Stream.cpp): makes and opens the stream of COM<port> with
// `flags` and `settings`, or keeping the port's current line settings
// without them.  Throws the open failure as a file exception.
std::unique_ptr<CIoStream> CreateSerialStream(uint32_t port, uint32_t flags, const SerialSettings* settings);

// RAM disk (RamStream.cpp, RamDisk.cpp): makes and opens the RAM stream `name`
// ("RAM:" in upper case followed by the file name).
std::unique_ptr<CIoStream> CreateRamStream(const std::u16string& name, uint32_t flags);
// Creates the process-wide RAM disk "RAM:"; false when that fails.
bool CreateRamDisk();
// Frees the RAM disk and every file still on it.
void FreeRamDisk();

// IP (ip/IpStream.cpp, ip/IpSocket.cpp): makes and opens the IP stream; `name` still carries
// its "IP:" prefix, which the stream removes.
std::unique_ptr<CIoStream> CreateIpStream(const std::u16string& name, uint32_t flags);
// Creates the lock of the socket start-up; false when that fails.
bool InitializeSocketLock();
// Releases the socket library if it was started.
void CleanupSockets();

// USB (usb/UsbHostStream.cpp, usb/UsbProbeManager.cpp): makes and opens the bulk stream of a USB device
// interface path.
std::unique_ptr<CIoStream> CreateUsbStream(const std::u16string& path, uint32_t flags);
// Sets the named event "VovCloseEvent" so
// that waits of the probe manager end.
void SetVovCloseEvent();

} // namespace StreamIO
