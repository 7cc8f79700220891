// SPDX-License-Identifier: GPL-3.0-or-later
// Checksums, request frames and the answer parser of the block protocol.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/BlockFrame.h"
#include "device/Checksums.h"

using namespace Device;

namespace {
const std::string kCheck = "123456789";
const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
} // namespace

TEST(Checksums, CheckValuesOf123456789)
{
    EXPECT_EQ(Crc8Maxim(Bytes(kCheck), kCheck.size()), 0xA1);
    EXPECT_EQ(Crc16Arc(Bytes(kCheck), kCheck.size()), 0xBB3D);
    EXPECT_EQ(Crc32(Bytes(kCheck), kCheck.size()), 0xCBF43926u);
    // Continuing a CRC-32 over two halves gives the same value.
    EXPECT_EQ(Crc32(Bytes(kCheck) + 4, 5, Crc32(Bytes(kCheck), 4)), 0xCBF43926u);
}

TEST(BlockFrame, RequestFrameCarriesLengthInFirstByte)
{
    const uint8_t data[2] = {0x88, 0x03};
    EXPECT_EQ(BuildRequestFrame(0xD2, data, 2), (std::vector<uint8_t>{0xC2, 0xD2, 0x88, 0x03}));
    EXPECT_EQ(BuildRequestFrame(0xF1, nullptr, 0), (std::vector<uint8_t>{0xC0, 0xF1}));
    std::vector<uint8_t> big(48, 0);
    EXPECT_TRUE(BuildRequestFrame(0xD2, big.data(), 48).empty());
    EXPECT_EQ(BuildRequestFrame(0xD2, big.data(), 47)[0], 0xEF);
}

TEST(BlockFrame, ChecksumKindsAndLengths)
{
    EXPECT_EQ(ChecksumLength(1), 1u);
    EXPECT_EQ(ChecksumLength(2), 2u);
    EXPECT_EQ(ChecksumLength(4), 4u);
    EXPECT_EQ(ChecksumLength(3), 0u);   // any other kind: no checksum
    EXPECT_EQ(ChecksumLength(0), 0u);
    EXPECT_EQ(ChecksumLength(255), 0u);
}

TEST(BlockAnswerParser, ShortAnswersAndErrorCodes)
{
    SBlockAnswer a;
    const uint8_t empty[1] = {0};
    EXPECT_EQ(ParseBlockAnswer(empty, 1, a), AnswerState::Complete);
    EXPECT_EQ(a.dataLength, 0u);
    EXPECT_EQ(a.frameLength, 1u);

    const uint8_t three[4] = {3, 'a', 'b', 'c'};
    EXPECT_EQ(ParseBlockAnswer(three, 3, a), AnswerState::NeedMore);
    EXPECT_EQ(a.bytesNeeded, 4u);
    EXPECT_EQ(ParseBlockAnswer(three, 4, a), AnswerState::Complete);
    EXPECT_EQ(a.dataOffset, 1u);
    EXPECT_EQ(a.dataLength, 3u);

    for (int code = 240; code <= 255; ++code) {
        const uint8_t err[1] = {static_cast<uint8_t>(code)};
        EXPECT_EQ(ParseBlockAnswer(err, 1, a), AnswerState::Complete);
        EXPECT_TRUE(a.isError);
        EXPECT_EQ(a.frameLength, 1u);
    }
    EXPECT_EQ(ParseBlockAnswer(nullptr, 0, a), AnswerState::NeedMore);
}

TEST(BlockAnswerParser, ExtendedAnswersFedByteByByte)
{
    std::vector<uint8_t> data(1000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    for (uint8_t kind : {uint8_t{0}, uint8_t{1}, uint8_t{2}, uint8_t{4}}) {
        const std::vector<uint8_t> frame = BuildAnswerFrame(data.data(), data.size(), kind);
        SBlockAnswer a;
        // Every proper prefix asks for more; the whole frame is complete.
        for (size_t n = 0; n < frame.size(); ++n)
            ASSERT_EQ(ParseBlockAnswer(frame.data(), n, a), AnswerState::NeedMore) << int(kind) << " " << n;
        ASSERT_EQ(ParseBlockAnswer(frame.data(), frame.size(), a), AnswerState::Complete);
        EXPECT_EQ(a.dataLength, 1000u);
        EXPECT_EQ(a.frameLength, frame.size());
        EXPECT_EQ(std::memcmp(frame.data() + a.dataOffset, data.data(), data.size()), 0);
    }
}

TEST(BlockAnswerParser, BadChecksumAndUnknownKind)
{
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5};
    for (uint8_t kind : {uint8_t{1}, uint8_t{2}, uint8_t{4}}) {
        std::vector<uint8_t> frame = BuildAnswerFrame(data.data(), data.size(), kind);
        frame.back() ^= 0x01;
        SBlockAnswer a;
        EXPECT_EQ(ParseBlockAnswer(frame.data(), frame.size(), a), AnswerState::Invalid);
        // A damaged data byte is caught as well.
        frame.back() ^= 0x01;
        frame[6] ^= 0x80;
        EXPECT_EQ(ParseBlockAnswer(frame.data(), frame.size(), a), AnswerState::Invalid);
    }
    // Kind 3 is read as no checksum: the frame ends after the data.
    const std::vector<uint8_t> kind3 = {0xEF, 3, 5, 0, 0, 1, 2, 3, 4, 5};
    SBlockAnswer a;
    EXPECT_EQ(ParseBlockAnswer(kind3.data(), kind3.size(), a), AnswerState::Complete);
    EXPECT_EQ(a.frameLength, kind3.size());
}

TEST(BlockAnswerParser, GarbageAfterAnAnswerIsNotPartOfIt)
{
    std::vector<uint8_t> frame = BuildAnswerFrame(reinterpret_cast<const uint8_t*>("xy"), 2);
    frame.insert(frame.end(), {0xEF, 0xFF, 0xFF, 0xFF});
    SBlockAnswer a;
    EXPECT_EQ(ParseBlockAnswer(frame.data(), frame.size(), a), AnswerState::Complete);
    EXPECT_EQ(a.frameLength, 3u);
    // The largest announced length asks for all of it, without reading past the buffer.
    const uint8_t huge[5] = {0xEF, 4, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ParseBlockAnswer(huge, sizeof huge, a), AnswerState::NeedMore);
    EXPECT_EQ(a.bytesNeeded, 5u + 0xFFFFFFu + 4u);
}
