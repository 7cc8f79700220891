// SPDX-License-Identifier: GPL-3.0-or-later
// The byte layout of the instrument's block protocol, as pure functions over
// byte buffers: request frames, answer frames, the extended answer header,
// the answer checksums and a parser that tells whether a buffer holds a
// complete answer.  CVnCommands reads the line with these; the fuzz targets,
// the tests and the instrument simulator build answers with them.
//
// Request: 0xC0 + n, block number, n data bytes (n = 0..47).
// Answer:  count byte c; c = 0 success without data; c = 1..238 that many data
//          bytes; c = 239 a 4-byte header (checksum kind, 24-bit length L),
//          L data bytes and the checksum bytes; c = 240..255 an error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Device {

constexpr uint8_t FRAME_BASE = 0xC0;           // first request byte = 0xC0 + n
constexpr int MAX_REQUEST_DATA = 47;           // 0xC0 + 47 = 0xEF
constexpr uint8_t COUNT_EXTENDED = 0xEF;       // 239: extended header follows
constexpr uint8_t COUNT_FIRST_ERROR = 0xF0;    // 240..255: instrument error codes
constexpr uint32_t MAX_EXTENDED_LENGTH = 0xFFFFFF; // 24-bit data length
constexpr uint8_t LONG_WRITE_HEAD = 0xC1;      // first byte of a long write

// Block numbers.
constexpr uint8_t BLOCK_PAPER = 0xD2;
constexpr uint8_t BLOCK_HARDWARE_ID = 0xF1;
constexpr uint8_t BLOCK_CONTROL = 0xF4;
constexpr uint8_t BLOCK_RESYNC = 0xF6;
constexpr uint8_t BLOCK_PROGRAM = 0xF8;

// Checksum kinds of the extended header.
enum : uint8_t {
    CHECKSUM_NONE = 0,
    CHECKSUM_CRC8 = 1,
    CHECKSUM_CRC16 = 2,
    CHECKSUM_CRC32 = 4,
};

// Number of checksum bytes that follow the data for a header's kind byte;
// any kind but 1, 2 and 4 means no checksum.
uint32_t ChecksumLength(uint8_t kind);

// Computes the checksum of `kind` over the data.  0 for kinds without one.
uint32_t ComputeChecksum(uint8_t kind, const uint8_t* data, size_t length);

// True when the checksum bytes that follow `length` data bytes (little-endian,
// ChecksumLength(kind) of them) match the data.  Always true without checksum.
bool VerifyChecksum(uint8_t kind, const uint8_t* data, size_t length, const uint8_t* checksum);

// The 4-byte extended header after a count byte of 239.
struct SExtendedHeader {
    uint8_t kind = 0;         // checksum kind as sent
    uint32_t length = 0;      // data length L
    uint32_t checksumLength = 0;
    uint32_t Total() const { return length + checksumLength; }
};
SExtendedHeader DecodeExtendedHeader(const uint8_t* header4);

// A request frame: 0xC0 + n, block, data.  n must be 0..47 (else empty).
std::vector<uint8_t> BuildRequestFrame(uint8_t block, const uint8_t* data, size_t length);

// An answer frame as an instrument sends it.  Up to 238 data bytes without a
// checksum use the short form (count byte = length; 0 = success without
// data); longer data, or any `kind` other than CHECKSUM_NONE, use the extended
// header with that checksum.  `forceExtended` always uses the header.  Data
// beyond the 24-bit maximum is cut.
std::vector<uint8_t> BuildAnswerFrame(const uint8_t* data, size_t length, uint8_t kind = CHECKSUM_NONE,
                                      bool forceExtended = false);

// The one-byte answer carrying an instrument error code (240..255).
inline std::vector<uint8_t> BuildErrorAnswer(uint8_t code) { return {code}; }

// Parser of one answer at the front of a buffer.
enum class AnswerState {
    Complete,   // a whole answer is there (possibly an error code)
    NeedMore,   // the buffer ends before the answer does
    Invalid,    // the answer is complete but its checksum does not match
};

struct SBlockAnswer {
    uint8_t count = 0;          // the count byte
    bool isError = false;       // count 240..255: the instrument's error code
    SExtendedHeader header;     // valid when count == 239
    size_t dataOffset = 0;      // where the data bytes start in the buffer
    uint32_t dataLength = 0;    // number of data bytes
    size_t frameLength = 0;     // bytes the whole answer occupies (Complete/Invalid)
    size_t bytesNeeded = 0;     // NeedMore: least total buffer size that can go on
};

AnswerState ParseBlockAnswer(const uint8_t* bytes, size_t size, SBlockAnswer& out);

} // namespace Device
