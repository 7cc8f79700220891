// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/usb/HidReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace StreamIO {

namespace {

struct SGlobals {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

} // namespace

SHidReportLengths ParseReportLengths(const uint8_t* descriptor, size_t size)
{
    // Bits per report id and kind (0 input, 1 output, 2 feature).
    std::map<uint32_t, uint64_t> bits[3];
    SGlobals globals;
    std::vector<SGlobals> stack;
    SHidReportLengths lengths;
    size_t pos = 0;
    while (pos < size) {
        const uint8_t prefix = descriptor[pos];
        if (prefix == 0xFE) {   // long item: size byte, tag byte, data
            if (pos + 1 >= size)
                break;
            pos += 3 + descriptor[pos + 1];
            continue;
        }
        const size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (pos + 1 + dataSize > size)
            break;
        uint32_t value = 0;
        for (size_t i = 0; i < dataSize; ++i)
            value |= static_cast<uint32_t>(descriptor[pos + 1 + i]) << (8 * i);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == 1) {   // global
            switch (tag) {
            case 7: globals.reportSize = value; break;
            case 8:
                globals.reportId = value;
                lengths.reportIds = true;
                break;
            case 9: globals.reportCount = value; break;
            case 10: stack.push_back(globals); break;
            case 11:
                if (!stack.empty()) {
                    globals = stack.back();
                    stack.pop_back();
                }
                break;
            default: break;
            }
        } else if (type == 0) {   // main
            const int kind = tag == 8 ? 0 : tag == 9 ? 1 : tag == 11 ? 2 : -1;
            if (kind >= 0)
                bits[kind][globals.reportId] += static_cast<uint64_t>(globals.reportSize) * globals.reportCount;
        }
        pos += 1 + dataSize;
    }
    uint32_t* out[3] = {&lengths.input, &lengths.output, &lengths.feature};
    for (int kind = 0; kind < 3; ++kind) {
        uint64_t largest = 0;
        for (const auto& [id, count] : bits[kind])
            largest = std::max(largest, (count + 7) / 8);
        if (!bits[kind].empty())
            *out[kind] = static_cast<uint32_t>(std::min<uint64_t>(largest + 1, UINT32_MAX));
    }
    return lengths;
}

} // namespace StreamIO
