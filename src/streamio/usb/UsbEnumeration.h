// SPDX-License-Identifier: GPL-3.0-or-later
// The USB instruments present, found through sysfs: EnumBulkDevices lists
// the interfaces of the maker's devices (vendor 0x3317) that have a bulk IN
// and a bulk OUT endpoint; EnumProbeDevices lists the hidraw nodes of USB
// HID devices whose path names the vendor "vid_3317".
//
// Both empty `paths` first and return 0 unless a folder exists but cannot
// be read.  A computer without a USB bus (or without hidraw) is no failure:
// the list stays empty and `note`, when given, says why.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace StreamIO {

uint32_t EnumBulkDevices(std::vector<std::u16string>& paths, std::u16string* note = nullptr,
                         const std::string& sysfsRoot = "/sys");
uint32_t EnumProbeDevices(std::vector<std::u16string>& paths, std::u16string* note = nullptr,
                          const std::string& sysfsRoot = "/sys");

} // namespace StreamIO
