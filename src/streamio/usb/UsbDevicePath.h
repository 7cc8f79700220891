// SPDX-License-Identifier: GPL-3.0-or-later
// Device paths of USB instruments, in the form of Windows device interface
// paths so that callers and stored settings see the same thing:
//   bulk:  \\?\usb#vid_3317&pid_0102#1-2.3:1.0#{00873fdf-61a8-11d1-aa5e-00c04fb1728b}
//   probe: \\?\hid#vid_3317&pid_0201#hidraw3#{4d1e55b2-f16f-11cf-88cb-001111000030}
// The third part is where Linux has the device: the USB interface in sysfs
// (bus-ports:configuration.interface) or the hidraw node.  The vendor part
// is written "vid_" with four lowercase hexadecimal digits.
#pragma once

#include <cstdint>
#include <string>

namespace StreamIO {

struct SUsbDevicePath {
    bool hid = false;
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string instance;   // "1-2.3:1.0" or "hidraw3"
};

std::u16string MakeUsbDevicePath(const SUsbDevicePath& path);
// False for a path of another form.
bool ParseUsbDevicePath(const std::u16string& text, SUsbDevicePath& path);

// The maker's probes: the four characters after the first "vid_" are
// "3317" (case-sensitive, so "VID_3317" is not one).
bool IsProbeDevicePath(const std::u16string& path);

constexpr uint16_t kMakerVendorId = 0x3317;

} // namespace StreamIO
