// SPDX-License-Identifier: GPL-3.0-or-later
// The private clipboard format of series: a 32-bit little-endian length L
// followed by L bytes of a project stream written with a selection (only the
// selected current series, no original data).  The layout is shared with
// other running instances of the program, so it is kept byte for byte.
//
// Clipboard data comes from outside the program: Unpack checks the length
// against the bytes that really follow before anyone reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ClipboardData {

constexpr char16_t kFormatName[] = u"BrelmoraClipboardFormat";
// The RAM disk file both directions pass through.
constexpr char16_t kRamStreamName[] = u"RAM:ClipRamStream";
constexpr size_t kLengthSize = 4;

// The clipboard bytes for a project stream: length, then the stream.
std::vector<uint8_t> Pack(const uint8_t* stream, size_t size);

// What the bytes of the private format hold.
struct SPayload {
    enum Status {
        ok,          // `stream` and `size` give the project stream
        empty,       // the length is 0: nothing to paste
        noLength,    // fewer than 4 bytes: not even a length
        tooLong,     // the length is larger than the bytes that follow
    };
    Status status = noLength;
    uint32_t length = 0;        // the length number as found
    size_t available = 0;       // bytes that follow the length number
    const uint8_t* stream = nullptr;
    size_t size = 0;
};

// Splits clipboard bytes into the length and the stream.  Bytes beyond the
// length (clipboard memory may be larger than asked for) are ignored.
SPayload Unpack(const std::vector<uint8_t>& bytes);

} // namespace ClipboardData
