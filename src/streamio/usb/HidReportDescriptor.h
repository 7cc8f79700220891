// SPDX-License-Identifier: GPL-3.0-or-later
// The report lengths a HID report descriptor gives, as the HID capabilities
// count them: the largest report of each kind in bytes, plus the report id
// byte.  0 for a kind the device has no report of.
#pragma once

#include <cstddef>
#include <cstdint>

namespace StreamIO {

struct SHidReportLengths {
    uint32_t input = 0;
    uint32_t output = 0;
    uint32_t feature = 0;
    bool reportIds = false;   // the reports are numbered
};

// Reads the short and long items of `descriptor`; stops at a cut item.
SHidReportLengths ParseReportLengths(const uint8_t* descriptor, size_t size);

} // namespace StreamIO
