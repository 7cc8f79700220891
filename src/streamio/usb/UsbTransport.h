// SPDX-License-Identifier: GPL-3.0-or-later
// The small transport interfaces under the USB streams.  The transfer logic
// (timeouts, acknowledge and sequence bits, leftovers, cancelling) is written
// once over them; libusb-1.0 plays the bulk device and Linux hidraw the HID
// probe, and tests put scripted devices in their place.
//
// Every result is a Win32 error number: 0 success, 1460 time-out (what moved
// is in `moved`), anything else a failure of the device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace StreamIO {

// A device with two bulk pipes: one to read (IN), one to write (OUT).
class IUsbBulkDevice {
public:
    virtual ~IUsbBulkDevice() = default;
    virtual bool HasReadPipe() const = 0;
    virtual bool HasWritePipe() const = 0;
    // Moves up to `count` bytes through a pipe within `timeoutMs` (-1: no
    // limit); 0 when every byte moved, 1460 when the time ran out.
    virtual uint32_t Transfer(bool write, void* data, uint32_t count, int timeoutMs, uint32_t& moved) = 0;
    // Ends transfers in progress (they return 995).
    virtual uint32_t Cancel() = 0;
    // Waits until what was written left the host.
    virtual uint32_t Flush() = 0;
    // Releases the pipes and the device; 0 or the error.
    virtual uint32_t Close() = 0;
};

// Opens the bulk device of a device path with the pipes `flags` ask for
// (SF_READ: the read pipe, SF_WRITE: the write pipe).
using UsbBulkOpener = std::function<uint32_t(const std::u16string& path, uint32_t flags,
                                             std::unique_ptr<IUsbBulkDevice>& device)>;

// A HID device: feature reports both ways, input reports from the device.
// Report buffers start with the report id (0) as on Windows.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    // Report lengths with their id byte, from the report descriptor.
    virtual uint32_t FeatureLength() const = 0;
    virtual uint32_t InputLength() const = 0;
    virtual uint32_t GetFeature(uint8_t* report, uint32_t length) = 0;
    virtual uint32_t SetFeature(const uint8_t* report, uint32_t length) = 0;
    // One whole input report within `timeoutMs`; 1460 when none came.
    virtual uint32_t ReadInput(uint8_t* report, uint32_t length, int timeoutMs) = 0;
    virtual uint32_t Close() = 0;
};

using HidOpener = std::function<uint32_t(const std::u16string& path, std::shared_ptr<IHidDevice>& device)>;

// The real devices: libusb-1.0 and hidraw.
uint32_t OpenLibusbBulkDevice(const std::u16string& path, uint32_t flags, std::unique_ptr<IUsbBulkDevice>& device);
uint32_t OpenHidrawDevice(const std::u16string& path, std::shared_ptr<IHidDevice>& device);

} // namespace StreamIO
