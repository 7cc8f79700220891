// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument's answers and the state it keeps between requests, without
// a line in between.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/Checksums.h"
#include "sim/Instrument.h"
#include "sim/SeriesGenerator.h"

namespace {

using namespace Sim;

SRequest Frame(uint8_t block, std::vector<uint8_t> data)
{
    SRequest r;
    r.kind = SRequest::Frame;
    r.block = block;
    r.data = std::move(data);
    return r;
}

SRequest Text(const std::string& text)
{
    SRequest r;
    r.kind = SRequest::Text;
    r.text = text;
    return r;
}

SRequest Dle()
{
    SRequest r;
    r.kind = SRequest::Dle;
    return r;
}

std::vector<uint8_t> NameRequest(uint8_t code, uint8_t slot, const std::string& text)
{
    std::vector<uint8_t> d{code, slot};
    for (size_t i = 0; i < 12; ++i)
        d.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    return d;
}

std::string AsText(const SReply& r)
{
    return std::string(r.bytes.begin(), r.bytes.end());
}

SSimContent SmallContent()
{
    SSimContent c;
    c.series = GenerateSeries(3, 5);
    c.names = {"ALPHA", "BRAVO"};
    return c;
}

TEST(SimInstrument, IdentificationAndEchoModes)
{
    CInstrument inst(SmallContent());
    EXPECT_EQ(inst.Handle(Dle()).bytes, std::vector<uint8_t>{DLE_REPLY});
    EXPECT_EQ(AsText(inst.Handle(Text("@ID@"))), "Veltrano;C;VT-20417;0702A41C;2.14.0.3;1.3.0.0\r");
    EXPECT_EQ(AsText(inst.Handle(Text("ID"))), "Veltrano;2.14.0.3;VT-20417\r");
    EXPECT_EQ(AsText(inst.Handle(Text("XYZ"))), "?\r");
    EXPECT_EQ(AsText(inst.Handle(Text("EC?"))), "0\r");
    EXPECT_EQ(AsText(inst.Handle(Text(""))), "\r");

    // "EC1" is answered in the old mode; from then on the command is echoed.
    EXPECT_EQ(AsText(inst.Handle(Text("EC1"))), "OK\r");
    EXPECT_TRUE(inst.GetEcho());
    EXPECT_EQ(AsText(inst.Handle(Text("EC?"))), "EC? 1\r\n");
    EXPECT_EQ(AsText(inst.Handle(Text("ID"))), "ID Veltrano;2.14.0.3;VT-20417\r\n");
    EXPECT_EQ(AsText(inst.Handle(Text("EC0"))), "EC0 OK\r\n");
    EXPECT_FALSE(inst.GetEcho());

    SRequest overlong = Text("@ID@");
    overlong.overlong = true;
    EXPECT_EQ(AsText(inst.Handle(overlong)), "?\r");
}

TEST(SimInstrument, DeleteThenDownloadFindsNothing)
{
    CInstrument inst(SmallContent());
    SReply series = inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES}));
    ASSERT_GT(series.bytes.size(), 9u);
    EXPECT_EQ(series.bytes[0], COUNT_EXTENDED);
    EXPECT_EQ(series.bytes[1], 4);
    const size_t length = series.bytes[2] | (series.bytes[3] << 8) | (series.bytes[4] << 16);
    EXPECT_EQ(series.bytes.size(), 5 + length + 4);

    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_DELETE_ALL})).bytes,
              (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(inst.GetSeriesCount(), 0u);
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES})).bytes, std::vector<uint8_t>{0});
}

TEST(SimInstrument, NameListKeepsNoGaps)
{
    CInstrument inst(SmallContent());
    // Overwrite, append past the end (lands at the end), insert, cut to 12.
    inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_WRITE_NAME, 1, "BETA")));
    inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_WRITE_NAME, 9, "LAST")));
    inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_INSERT_NAME, 0, "<empty>")));
    EXPECT_EQ(inst.GetNames(), (std::vector<std::string>{"<empty>", "ALPHA", "BETA", "LAST"}));

    // Mask 0b0101 removes slots 0 and 2.
    inst.Handle(Frame(BLOCK_PAPER, {REQ_DELETE_NAMES, 0x05, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(inst.GetNames(), (std::vector<std::string>{"ALPHA", "LAST"}));

    // An empty name written to a slot removes it.
    inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_WRITE_NAME, 0, "")));
    EXPECT_EQ(inst.GetNames(), std::vector<std::string>{"LAST"});

    // Slots beyond 50 and a full list are refused.
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_WRITE_NAME, 50, "X"))).bytes,
              std::vector<uint8_t>{ERR_SLOT});
    for (int i = 0; i < 49; ++i)
        inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_WRITE_NAME, 49, "N" + std::to_string(i))));
    EXPECT_EQ(inst.GetNames().size(), 50u);
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, NameRequest(REQ_INSERT_NAME, 3, "X"))).bytes,
              std::vector<uint8_t>{ERR_LIST_FULL});

    // 50 names make a long answer: count 50, then 13 bytes each, NUL-filled.
    SReply list = inst.Handle(Frame(BLOCK_PAPER, {REQ_READ_NAMES}));
    ASSERT_EQ(list.bytes[0], COUNT_EXTENDED);
    const size_t length = list.bytes[2] | (list.bytes[3] << 8);
    EXPECT_EQ(length, 1u + 50u * 13u);
    EXPECT_EQ(list.bytes[5], 50);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&list.bytes[6])), "LAST");
    EXPECT_EQ(Crc32(&list.bytes[5], length),
              list.bytes[5 + length] | (list.bytes[6 + length] << 8) |
                  (list.bytes[7 + length] << 16) | (uint32_t(list.bytes[8 + length]) << 24));
}

TEST(SimInstrument, ShortRequestsAreRefusedNotRead)
{
    CInstrument inst(SmallContent());
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {})).bytes, std::vector<uint8_t>{ERR_BAD_PARAMETER});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_WRITE_NAME, 0, 'A'})).bytes,
              std::vector<uint8_t>{ERR_BAD_PARAMETER});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_DELETE_NAMES, 1})).bytes,
              std::vector<uint8_t>{ERR_BAD_PARAMETER});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_SET_CLOCK, 24, 5})).bytes,
              std::vector<uint8_t>{ERR_BAD_PARAMETER});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_CONTROL, {0x10})).bytes, std::vector<uint8_t>{ERR_BAD_PARAMETER});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {0x77})).bytes, std::vector<uint8_t>{ERR_UNKNOWN_REQUEST});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PROGRAM, {0x04})).bytes, std::vector<uint8_t>{ERR_UNKNOWN_REQUEST});
    EXPECT_EQ(inst.GetNames().size(), 2u);
}

TEST(SimInstrument, ClockOptionAndControlBlocks)
{
    CInstrument inst(SmallContent());
    uint32_t clock = 0;
    EXPECT_FALSE(inst.GetClock(clock));
    // The program's fallback when it has no local time: year 48, month 0, 255s.
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_SET_CLOCK, 48, 0, 0, 255, 255, 255})).bytes,
              std::vector<uint8_t>{ERR_BAD_PARAMETER});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_SET_CLOCK, 24, 2, 29, 13, 5, 9})).bytes,
              std::vector<uint8_t>{0});
    ASSERT_TRUE(inst.GetClock(clock));
    EXPECT_EQ(clock, DateTimeToCount(2024, 2, 29, 13, 5, 9));

    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_OPTION, 0x03})).bytes, (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_OPTION, 0x02})).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_OPTION, 0x03})).bytes, (std::vector<uint8_t>{1, 2}));
    SSimContent old = SmallContent();
    old.option88Supported = false;
    CInstrument oldFirmware(old);
    EXPECT_EQ(oldFirmware.Handle(Frame(BLOCK_PAPER, {REQ_OPTION, 0x02})).bytes,
              std::vector<uint8_t>{ERR_UNKNOWN_REQUEST});

    EXPECT_EQ(inst.Handle(Frame(BLOCK_HWID, {})).bytes, (std::vector<uint8_t>{4, 0x21, 0x0C, 0x04, 0x00}));
    EXPECT_EQ(inst.Handle(Frame(BLOCK_CONTROL, {0x10, 5})).bytes, (std::vector<uint8_t>{1, 1}));
    EXPECT_TRUE(inst.GetRemoteMode());
    EXPECT_TRUE(inst.Handle(Frame(BLOCK_CONTROL, {0x12, 0xD0})).bytes.empty());
    EXPECT_EQ(inst.Handle(Frame(BLOCK_RESYNC, {0, 5, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0})).bytes,
              std::vector<uint8_t>{RESYNC_ANSWER});

    // Operation-mode change to mode 3: supported, not in it, 250 ms, switch, in it.
    EXPECT_EQ(inst.Handle(Frame(BLOCK_CONTROL, {0x00, 3})).bytes, (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(inst.Handle(Frame(BLOCK_CONTROL, {0x01, 3})).bytes, (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(inst.Handle(Frame(BLOCK_CONTROL, {0x03, 3})).bytes, (std::vector<uint8_t>{3, 250, 0, 0}));
    EXPECT_TRUE(inst.Handle(Frame(BLOCK_CONTROL, {0x02, 3})).bytes.empty());
    EXPECT_EQ(inst.Handle(Frame(BLOCK_CONTROL, {0x01, 3})).bytes, (std::vector<uint8_t>{1, 1}));
}

TEST(SimInstrument, FaultsShapeTheAnswers)
{
    SFaults f;
    f.shortInfo = true;
    f.cannotTransfer = true;
    CInstrument inst(SmallContent(), f);
    SReply info = inst.Handle(Frame(BLOCK_PAPER, {REQ_INFO_BLOCK}));
    EXPECT_EQ(info.bytes[0], 127);
    EXPECT_EQ(info.bytes.size(), 128u);
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES})).bytes, (std::vector<uint8_t>{1, 1}));

    f = SFaults{};
    f.noSeries = true;
    inst.SetFaults(f);
    EXPECT_EQ(inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES})).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(inst.GetSeriesCount(), 3u);

    f = SFaults{};
    f.hangUpInSeries = true;
    f.garbageBytes = 3;
    inst.SetFaults(f);
    SReply half = inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES}));
    const size_t length = half.bytes[5] | (half.bytes[6] << 8) | (half.bytes[7] << 16);
    EXPECT_EQ(half.bytes[3], COUNT_EXTENDED);
    EXPECT_EQ(half.hangUpAfter, 3 + 5 + length / 2);

    f = SFaults{};
    f.silenceAfter = 2;
    inst.SetFaults(f);
    EXPECT_FALSE(inst.Handle(Frame(BLOCK_HWID, {})).bytes.empty());
    EXPECT_FALSE(inst.Handle(Dle()).bytes.empty());
    EXPECT_FALSE(inst.Handle(Text("ID")).bytes.empty());   // same request as its DLE
    EXPECT_TRUE(inst.Handle(Frame(BLOCK_HWID, {})).bytes.empty());
    EXPECT_TRUE(inst.Handle(Dle()).bytes.empty());
    EXPECT_TRUE(inst.Handle(Text("ID")).bytes.empty());

    f = SFaults{};
    f.largeSeries = true;
    inst.SetFaults(f);
    SReply large = inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES}));
    EXPECT_GT(large.bytes.size(), 65536u + 9u);
}

TEST(SimInstrument, ChecksumKindsAndTheWrongChecksum)
{
    CInstrument inst(SmallContent());
    auto stored = [](const SReply& r, size_t kind) {
        const size_t length = r.bytes[2] | (r.bytes[3] << 8) | (r.bytes[4] << 16);
        uint32_t v = 0;
        for (size_t i = 0; i < kind; ++i)
            v |= uint32_t(r.bytes[5 + length + i]) << (8 * i);
        return std::make_pair(length, v);
    };
    for (EChecksum kind : {EChecksum::Crc8, EChecksum::Crc16, EChecksum::None}) {
        inst.SetChecksum(kind);
        const SReply r = inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES}));
        const size_t k = static_cast<size_t>(kind);
        EXPECT_EQ(r.bytes[1], k);
        const auto [length, sum] = stored(r, k);
        EXPECT_EQ(r.bytes.size(), 5 + length + k);
        if (kind == EChecksum::Crc8) {
            EXPECT_EQ(sum, Crc8Maxim(&r.bytes[5], length));
        } else if (kind == EChecksum::Crc16) {
            EXPECT_EQ(sum, Crc16Arc(&r.bytes[5], length));
        }
    }
    inst.SetChecksum(EChecksum::Crc32);
    SFaults f;
    f.badChecksum = true;
    inst.SetFaults(f);
    const SReply bad = inst.Handle(Frame(BLOCK_PAPER, {REQ_SERIES}));
    const auto [length, sum] = stored(bad, 4);
    EXPECT_NE(sum, Crc32(&bad.bytes[5], length));
}

} // namespace
