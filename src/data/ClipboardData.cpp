// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ClipboardData.h"

#include <cstring>

namespace ClipboardData {

std::vector<uint8_t> Pack(const uint8_t* stream, size_t size)
{
    // Zero-initialised, then filled: no byte of the block is left undefined.
    std::vector<uint8_t> bytes(kLengthSize + size, 0);
    const uint32_t length = static_cast<uint32_t>(size);
    for (size_t k = 0; k < kLengthSize; ++k)
        bytes[k] = static_cast<uint8_t>(length >> (8 * k));
    if (size != 0)
        std::memcpy(bytes.data() + kLengthSize, stream, size);
    return bytes;
}

SPayload Unpack(const std::vector<uint8_t>& bytes)
{
    SPayload payload;
    if (bytes.size() < kLengthSize) {
        payload.status = SPayload::noLength;
        return payload;
    }
    for (size_t k = 0; k < kLengthSize; ++k)
        payload.length |= static_cast<uint32_t>(bytes[k]) << (8 * k);
    payload.available = bytes.size() - kLengthSize;
    if (payload.length == 0) {
        payload.status = SPayload::empty;
    } else if (payload.length > payload.available) {
        payload.status = SPayload::tooLong;
    } else {
        payload.status = SPayload::ok;
        payload.stream = bytes.data() + kLengthSize;
        payload.size = payload.length;
    }
    return payload;
}

} // namespace ClipboardData
