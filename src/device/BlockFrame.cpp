// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/BlockFrame.h"

#include "device/Checksums.h"

namespace Device {

uint32_t ChecksumLength(uint8_t kind)
{
    switch (kind) {
    case CHECKSUM_CRC8:
        return 1;
    case CHECKSUM_CRC16:
        return 2;
    case CHECKSUM_CRC32:
        return 4;
    default:
        return 0;
    }
}

uint32_t ComputeChecksum(uint8_t kind, const uint8_t* data, size_t length)
{
    switch (kind) {
    case CHECKSUM_CRC8:
        return Crc8Maxim(data, length);
    case CHECKSUM_CRC16:
        return Crc16Arc(data, length);
    case CHECKSUM_CRC32:
        return Crc32(data, length);
    default:
        return 0;
    }
}

bool VerifyChecksum(uint8_t kind, const uint8_t* data, size_t length, const uint8_t* checksum)
{
    const uint32_t n = ChecksumLength(kind);
    if (n == 0)
        return true;
    uint32_t stored = 0;
    for (uint32_t i = 0; i < n; ++i)
        stored |= static_cast<uint32_t>(checksum[i]) << (8 * i);
    return stored == ComputeChecksum(kind, data, length);
}

SExtendedHeader DecodeExtendedHeader(const uint8_t* header4)
{
    SExtendedHeader h;
    h.kind = header4[0];
    h.length = static_cast<uint32_t>(header4[1]) | (static_cast<uint32_t>(header4[2]) << 8) |
               (static_cast<uint32_t>(header4[3]) << 16);
    h.checksumLength = ChecksumLength(h.kind);
    return h;
}

std::vector<uint8_t> BuildRequestFrame(uint8_t block, const uint8_t* data, size_t length)
{
    if (length > static_cast<size_t>(MAX_REQUEST_DATA))
        return {};
    std::vector<uint8_t> frame;
    frame.reserve(length + 2);
    frame.push_back(static_cast<uint8_t>(FRAME_BASE + length));
    frame.push_back(block);
    if (length > 0)
        frame.insert(frame.end(), data, data + length);
    return frame;
}

std::vector<uint8_t> BuildAnswerFrame(const uint8_t* data, size_t length, uint8_t kind, bool forceExtended)
{
    if (length > MAX_EXTENDED_LENGTH)
        length = MAX_EXTENDED_LENGTH;
    std::vector<uint8_t> frame;
    const bool extended = forceExtended || kind != CHECKSUM_NONE || length >= COUNT_EXTENDED;
    if (!extended) {
        frame.reserve(length + 1);
        frame.push_back(static_cast<uint8_t>(length));
        if (length > 0)
            frame.insert(frame.end(), data, data + length);
        return frame;
    }
    const uint32_t n = ChecksumLength(kind);
    frame.reserve(length + 5 + n);
    frame.push_back(COUNT_EXTENDED);
    frame.push_back(kind);
    frame.push_back(static_cast<uint8_t>(length));
    frame.push_back(static_cast<uint8_t>(length >> 8));
    frame.push_back(static_cast<uint8_t>(length >> 16));
    if (length > 0)
        frame.insert(frame.end(), data, data + length);
    const uint32_t sum = ComputeChecksum(kind, data, length);
    for (uint32_t i = 0; i < n; ++i)
        frame.push_back(static_cast<uint8_t>(sum >> (8 * i)));
    return frame;
}

AnswerState ParseBlockAnswer(const uint8_t* bytes, size_t size, SBlockAnswer& out)
{
    out = SBlockAnswer{};
    if (size < 1) {
        out.bytesNeeded = 1;
        return AnswerState::NeedMore;
    }
    out.count = bytes[0];
    out.dataOffset = 1;
    if (out.count >= COUNT_FIRST_ERROR) {
        out.isError = true;
        out.frameLength = 1;
        return AnswerState::Complete;
    }
    if (out.count < COUNT_EXTENDED) {
        out.dataLength = out.count;
        const size_t need = 1 + static_cast<size_t>(out.count);
        if (size < need) {
            out.bytesNeeded = need;
            return AnswerState::NeedMore;
        }
        out.frameLength = need;
        return AnswerState::Complete;
    }
    if (size < 5) {
        out.bytesNeeded = 5;
        return AnswerState::NeedMore;
    }
    out.header = DecodeExtendedHeader(bytes + 1);
    out.dataOffset = 5;
    out.dataLength = out.header.length;
    const size_t need = 5 + static_cast<size_t>(out.header.Total());
    if (size < need) {
        out.bytesNeeded = need;
        return AnswerState::NeedMore;
    }
    out.frameLength = need;
    if (!VerifyChecksum(out.header.kind, bytes + 5, out.header.length, bytes + 5 + out.header.length))
        return AnswerState::Invalid;
    return AnswerState::Complete;
}

} // namespace Device
