// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: random heads of firmware package files (.lod).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/PackageHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Device::CPackageHeader header;
    if (header.Read(data, size)) {
        // A head that reads must describe itself consistently.
        const Device::CContents& contents = header.GetContents();
        if (!contents.IsComplete() || contents.GetCount() != contents.GetAnnouncedCount() ||
            contents.GetCount() == 0 || contents.GetCount() > Device::PACKAGE_MAX_ENTRIES)
            __builtin_trap();
        for (const auto& entry : contents.Entries()) {
            if (entry.kind >= Device::CONTENT_KIND_LIMIT || entry.value2 == 0)
                __builtin_trap();
        }
    }
    // Valid magic and counts reach the entry and trailer checks more often.
    if (size >= 4) {
        std::vector<uint8_t> patched(data, data + size);
        const uint8_t head[12] = {'@', 'V', 'n', '@', 1, 0, 0, 0, 1, 0, 0, 0};
        std::memcpy(patched.data(), head, std::min<size_t>(sizeof head, patched.size()));
        if (patched.size() >= 16) {
            patched[12] = static_cast<uint8_t>(1 + data[0] % 8);
            patched[13] = patched[14] = patched[15] = 0;
        }
        header.Read(patched.data(), patched.size());
    }
    return 0;
}
