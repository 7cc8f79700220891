// SPDX-License-Identifier: GPL-3.0-or-later
// Checksums and the splitting of the incoming bytes into requests.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/Checksums.h"
#include "sim/FrameReader.h"

namespace {

using Sim::CFrameReader;
using Sim::SRequest;

TEST(SimChecksums, CheckValuesOfTheThreeKinds)
{
    const char* text = "123456789";
    const auto* data = reinterpret_cast<const uint8_t*>(text);
    EXPECT_EQ(Sim::Crc8Maxim(data, 9), 0xA1);
    EXPECT_EQ(Sim::Crc16Arc(data, 9), 0xBB3D);
    EXPECT_EQ(Sim::Crc32(data, 9), 0xCBF43926u);
    EXPECT_EQ(Sim::Crc32(data, 0), 0u);
}

std::vector<SRequest> FeedAll(CFrameReader& r, const std::vector<uint8_t>& bytes, int64_t t = 0)
{
    std::vector<SRequest> out;
    for (uint8_t b : bytes) {
        SRequest q = r.Feed(b, t);
        if (q.kind != SRequest::None)
            out.push_back(std::move(q));
    }
    return out;
}

TEST(SimFrameReader, FramesOfEveryLengthAndNoiseBetween)
{
    CFrameReader r;
    // 0xC0 (no data), noise, a 47-byte frame.
    std::vector<uint8_t> bytes{0xC0, 0xF1, 0x00, 0x42, 0xEF, 0xD2};
    for (int i = 0; i < 47; ++i)
        bytes.push_back(static_cast<uint8_t>(i));
    const auto reqs = FeedAll(r, bytes);
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].kind, SRequest::Frame);
    EXPECT_EQ(reqs[0].block, 0xF1);
    EXPECT_TRUE(reqs[0].data.empty());
    EXPECT_EQ(reqs[1].block, 0xD2);
    EXPECT_EQ(reqs[1].data.size(), 47u);
    EXPECT_EQ(r.IgnoredBytes(), 2u);
}

TEST(SimFrameReader, TextAfterDleAndOverlongLine)
{
    CFrameReader r;
    auto reqs = FeedAll(r, {0x10, '@', 'I', 'D', '@', '\r'});
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].kind, SRequest::Dle);
    EXPECT_EQ(reqs[1].kind, SRequest::Text);
    EXPECT_EQ(reqs[1].text, "@ID@");

    std::vector<uint8_t> longLine{0x10};
    longLine.insert(longLine.end(), 3000, 'A');
    longLine.push_back('\r');
    reqs = FeedAll(r, longLine);
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_TRUE(reqs[1].overlong);
    EXPECT_EQ(reqs[1].text.size(), CFrameReader::MAX_LINE);
}

TEST(SimFrameReader, PartialRequestsAreDroppedAfterTheGap)
{
    CFrameReader r;
    // Half a frame, then silence longer than the gap: the next frame stands alone.
    EXPECT_TRUE(FeedAll(r, {0xC3, 0xD2, 0x01}, 0).empty());
    EXPECT_EQ(r.Deadline(), CFrameReader::FRAME_GAP_MS);
    const auto reqs = FeedAll(r, {0xC1, 0xD2, 0x30}, CFrameReader::FRAME_GAP_MS + 1);
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].data, std::vector<uint8_t>{0x30});

    // A text line left open is dropped as well.
    FeedAll(r, {0x10, 'I'}, 10000);
    r.Expire(10000 + CFrameReader::TEXT_GAP_MS);
    EXPECT_EQ(r.Deadline(), -1);
}

} // namespace
