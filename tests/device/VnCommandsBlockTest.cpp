// SPDX-License-Identifier: GPL-3.0-or-later
// The block layer of CVnCommands against a scripted instrument.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "ScriptStream.h"
#include "device/BlockFrame.h"
#include "device/VnCommands.h"

using namespace Device;

namespace {

std::vector<uint8_t> Pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 13 + 5);
    return v;
}

struct BlockFixture : ::testing::Test {
    CScriptStream stream;
    CVnCommands commands{&stream};
};

} // namespace

using ReadDataBlockTest = BlockFixture;

TEST_F(ReadDataBlockTest, RefusesBadRequestsWithoutTouchingTheLine)
{
    std::vector<uint8_t> buffer(64);
    uint32_t count = 99;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 48, count, 64), RDB_BAD_ARGUMENT);
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 1, count, 64, -1), RDB_BAD_ARGUMENT);
    EXPECT_EQ(commands.ReadDataBlock(0xD2, nullptr, 1, count, 64), RDB_BAD_ARGUMENT);
    EXPECT_TRUE(stream.output.empty());
    EXPECT_EQ(stream.purges, 0);
}

TEST_F(ReadDataBlockTest, SendsFrameAndReadsShortAnswer)
{
    stream.input = {0x55};   // stale input is purged first
    stream.Reply(std::vector<uint8_t>{3, 'a', 'b', 'c'});
    std::vector<uint8_t> buffer(16);
    buffer[0] = 0x10;
    uint32_t count = 0;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 1, count, 16), RDB_OK);
    EXPECT_EQ(stream.output, (std::vector<uint8_t>{0xC1, 0xD2, 0x10}));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(stream.readTimeout, 2000);
}

TEST_F(ReadDataBlockTest, ErrorCodeLandsInBufferByteZero)
{
    stream.Reply(std::vector<uint8_t>{0xF3});
    std::vector<uint8_t> buffer(4, 0);
    uint32_t count = 7;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 4), RDB_FAILED);
    EXPECT_EQ(buffer[0], 0xF3);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(commands.GetLastFailure(), ELinkFailure::InstrumentError);
    EXPECT_EQ(commands.GetLastInstrumentError(), 0xF3);
}

TEST_F(ReadDataBlockTest, AnswerLargerThanBufferIsDiscarded)
{
    // 200 bytes into a 128-byte buffer: 128 stored, 72 discarded, result 12.
    std::vector<uint8_t> reply = {200};
    const auto data = Pattern(200);
    reply.insert(reply.end(), data.begin(), data.end());
    reply.push_back(0x77);   // what follows the answer stays unread
    stream.Reply(reply);
    std::vector<uint8_t> buffer(128);
    uint32_t count = 0;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 128), RDB_BUFFER_TOO_SMALL);
    EXPECT_EQ(count, 200u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), data.begin()));
    ASSERT_EQ(stream.input.size(), 1u);
    EXPECT_EQ(stream.input.front(), 0x77);
}

TEST_F(ReadDataBlockTest, ExtendedAnswersWithEveryChecksumKind)
{
    const auto data = Pattern(5000);
    for (uint8_t kind : {uint8_t{1}, uint8_t{2}, uint8_t{4}}) {
        stream.Reply(BuildAnswerFrame(data.data(), data.size(), kind));
        std::vector<uint8_t> buffer(8000);
        uint32_t count = 0;
        ASSERT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 8000), RDB_OK) << int(kind);
        EXPECT_EQ(count, 5000u + ChecksumLength(kind));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin()));

        std::vector<uint8_t> bad = BuildAnswerFrame(data.data(), data.size(), kind);
        bad[100] ^= 0x10;
        stream.Reply(bad);
        EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 8000), RDB_CHECKSUM);
        EXPECT_EQ(commands.GetLastFailure(), ELinkFailure::Checksum);
    }
}

TEST_F(ReadDataBlockTest, ChecksumKindThreeMeansNone)
{
    std::vector<uint8_t> reply = {0xEF, 3, 4, 0, 0, 9, 8, 7, 6};
    stream.Reply(reply);
    std::vector<uint8_t> buffer(16);
    uint32_t count = 0;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 16), RDB_OK);
    EXPECT_EQ(count, 4u);
    // Exactly T = L bytes fit: a 4-byte buffer takes it whole.
    stream.Reply(reply);
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 4), RDB_OK);
}

TEST_F(ReadDataBlockTest, SplitReadsReportProgressAndTruncationFails)
{
    const auto data = Pattern(1000);
    stream.Reply(BuildAnswerFrame(data.data(), data.size(), CHECKSUM_CRC16));
    stream.maxChunk = 300;
    std::vector<int> positions;
    commands.SetProgressSink([&](int position, int phase, int) {
        EXPECT_EQ(phase, 1);
        positions.push_back(position);
    });
    std::vector<uint8_t> buffer(2000);
    uint32_t count = 0;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 2000), RDB_OK);
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), 100);

    // The line ends in the middle: result 6, out count = bytes read.
    std::vector<uint8_t> cut = BuildAnswerFrame(data.data(), data.size(), CHECKSUM_CRC16);
    cut.resize(5 + 600);
    stream.maxChunk = SIZE_MAX;
    stream.Reply(cut);
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 2000), RDB_FAILED);
    EXPECT_EQ(count, 600u);
}

TEST_F(ReadDataBlockTest, StreamExceptionsBecomeFailure)
{
    stream.throwOnWrite = true;
    std::vector<uint8_t> buffer(4);
    uint32_t count = 0;
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 4), RDB_FAILED);
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 0, buffer.data(), 4), WDB_FAILED);
    EXPECT_EQ(commands.SendBlockCommand(0xF1, 0, nullptr, 4, 100, buffer.data()), -1);
    EXPECT_FALSE(commands.TextCommand("ID"));
    EXPECT_EQ(commands.GetLastFailure(), ELinkFailure::HangUp);
}

TEST_F(ReadDataBlockTest, TotalTimeEndsASlowTransfer)
{
    // Data trickles in: every read gets 10 bytes after waiting its timeout.
    const auto data = Pattern(10000);
    stream.Reply(BuildAnswerFrame(data.data(), data.size(), CHECKSUM_NONE));
    stream.waitWhenEmpty = true;
    stream.maxChunk = 10;
    std::vector<uint8_t> buffer(10000);
    uint32_t count = 0;
    const auto started = std::chrono::steady_clock::now();
    // Total 200 ms with a 50 ms timeout: stops once no more than 50 ms remain.
    EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer.data(), 0, count, 10000, 50, 200), RDB_FAILED);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    EXPECT_LT(ms.count(), 1000);
    EXPECT_GT(count, 0u);
    EXPECT_LT(count, 10000u);
}

TEST_F(ReadDataBlockTest, AnnouncedLengthBeyond64KiBComesDownWhole)
{
    const auto data = Pattern(200000);
    stream.Reply(BuildAnswerFrame(data.data(), data.size(), CHECKSUM_CRC32));
    std::vector<uint8_t> answer;
    const uint8_t request[1] = {0x10};
    EXPECT_EQ(commands.ReadAnnouncedBlock(0xD2, request, 1, answer, 2000, 60000), RDB_OK);
    EXPECT_EQ(answer, data);   // without the checksum bytes

    // A bad checksum leaves nothing behind.
    auto bad = BuildAnswerFrame(data.data(), data.size(), CHECKSUM_CRC32);
    bad[7] ^= 1;
    stream.Reply(bad);
    EXPECT_EQ(commands.ReadAnnouncedBlock(0xD2, request, 1, answer, 2000, 60000), RDB_CHECKSUM);
    EXPECT_TRUE(answer.empty());

    // A header that announces 16 MiB but brings 10 bytes allocates only what came.
    stream.Reply(std::vector<uint8_t>{0xEF, 4, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(commands.ReadAnnouncedBlock(0xD2, request, 1, answer, 2000, 60000), RDB_FAILED);
    EXPECT_LE(answer.capacity(), size_t{2} << 20);
}

using WriteDataBlockTest = BlockFixture;

TEST_F(WriteDataBlockTest, ResultsFollowTheCountByte)
{
    std::vector<uint8_t> buffer(16, 0);
    buffer[0] = 0x11;
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 48, buffer.data(), 16), WDB_BAD_ARGUMENT);
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 1, buffer.data(), 16, -5), WDB_BAD_ARGUMENT);
    EXPECT_TRUE(stream.output.empty());

    stream.Reply(std::vector<uint8_t>{1, 1});
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 1, buffer.data(), 16, 8000), 1);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(stream.readTimeout, 8000);

    stream.Reply(std::vector<uint8_t>{0});
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 1, buffer.data(), 16), 0);
    stream.Reply(std::vector<uint8_t>{0xF5});
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 1, buffer.data(), 16), 0xF5);
    stream.ReplyNothing();
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 1, buffer.data(), 16), WDB_FAILED);
    stream.Reply(std::vector<uint8_t>{5, 1, 2});   // cut short
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 1, buffer.data(), 16), WDB_FAILED);
}

TEST_F(WriteDataBlockTest, SmallAnswerBufferAndExtendedAnswers)
{
    std::vector<uint8_t> buffer(4, 0);
    stream.Reply(std::vector<uint8_t>{6, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 0, buffer.data(), 4), 6);   // the count, four stored
    EXPECT_EQ(buffer, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(stream.input.empty());

    const auto info = Pattern(128);
    std::vector<uint8_t> big(256);
    stream.Reply(BuildAnswerFrame(info.data(), info.size(), CHECKSUM_CRC8, true));
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 0, big.data(), 256), 128);
    stream.Reply(BuildAnswerFrame(info.data(), info.size(), CHECKSUM_CRC8, true));
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 0, big.data(), 100), 100);
    auto bad = BuildAnswerFrame(info.data(), info.size(), CHECKSUM_CRC16, true);
    bad.back() ^= 0xFF;
    stream.Reply(bad);
    EXPECT_EQ(commands.WriteDataBlock(0xD2, 0, big.data(), 256), WDB_CHECKSUM);
}

TEST_F(WriteDataBlockTest, LongWrite)
{
    const auto data = Pattern(60);
    stream.ReplyNothing();                       // after 0xC1 and the block
    stream.Reply(std::vector<uint8_t>{0});       // after the data
    EXPECT_EQ(commands.WriteLongBlock(0xD2, 60, data.data()), 0);
    ASSERT_EQ(stream.writes.size(), 2u);
    EXPECT_EQ(stream.writes[0], (std::vector<uint8_t>{0xC1, 0xD2}));
    EXPECT_EQ(stream.writes[1], data);

    stream.ReplyNothing();
    stream.Reply(std::vector<uint8_t>{0xF2});
    EXPECT_EQ(commands.WriteLongBlock(0xD2, 60, data.data()), 0xF2);
    stream.ReplyNothing();
    stream.Reply(std::vector<uint8_t>{7});
    EXPECT_EQ(commands.WriteLongBlock(0xD2, 60, data.data()), WDB_FAILED);
}

using ControlBlockTest = BlockFixture;

TEST_F(ControlBlockTest, SendBlockCommandAndHardwareId)
{
    stream.Reply(std::vector<uint8_t>{4, 0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(commands.GetHardwareId(), 0x12345678);
    EXPECT_EQ(stream.output, (std::vector<uint8_t>{0xC0, 0xF1}));
    EXPECT_EQ(stream.readTimeout, 4000);   // restored after the 50 ms of the tail bytes

    stream.Reply(std::vector<uint8_t>{3, 1, 2, 3});   // wrong count
    EXPECT_EQ(commands.GetHardwareId(), -1);
    stream.Reply(std::vector<uint8_t>{0xF1});
    EXPECT_EQ(commands.GetHardwareId(), -1);

    uint8_t data[31] = {};
    uint8_t answer[4];
    EXPECT_EQ(commands.SendBlockCommand(0xF4, 31, data, 1, 100, answer), -1);
    stream.output.clear();
    EXPECT_EQ(commands.SendBlockCommand(0xF4, 2, data, 0, 100), 0);   // nothing awaited
    EXPECT_EQ(stream.output.size(), 4u);
}

TEST_F(ControlBlockTest, RemoteModeSeconds)
{
    stream.Reply(std::vector<uint8_t>{1, 1});
    EXPECT_TRUE(commands.SetRemoteMode(true, 1500));
    EXPECT_EQ(stream.output, (std::vector<uint8_t>{0xC2, 0xF4, 0x10, 2}));
    stream.output.clear();
    stream.Reply(std::vector<uint8_t>{1, 1});
    EXPECT_TRUE(commands.SetRemoteMode(true, 255000));   // 255 mod 255 = 0
    EXPECT_EQ(stream.output[3], 0);
    stream.output.clear();
    stream.Reply(std::vector<uint8_t>{1, 1});
    EXPECT_TRUE(commands.SetRemoteMode(false, 0));
    EXPECT_EQ(stream.output, (std::vector<uint8_t>{0xC2, 0xF4, 0x11, 0x00}));
}

TEST_F(ControlBlockTest, OperationModeChangeWithReopen)
{
    // Mode 0x18: known, not active, 150 ms switching time, switch, confirm.
    stream.Reply(std::vector<uint8_t>{1, 1});
    stream.Reply(std::vector<uint8_t>{1, 0});
    stream.Reply(std::vector<uint8_t>{3, 150, 0, 0});
    stream.ReplyNothing();
    stream.Reply(std::vector<uint8_t>{1, 1});
    int expected = 0;
    commands.SetProgressSink([&](int, int, int ms) { expected = ms; });
    EXPECT_TRUE(commands.ChangeOperationMode(0x18, 10));
    EXPECT_EQ(expected, 250);
    EXPECT_EQ(stream.closes, 1);
    EXPECT_EQ(stream.reopens, 1);
    ASSERT_EQ(stream.writes.size(), 5u);
    EXPECT_EQ(stream.writes[3], (std::vector<uint8_t>{0xC2, 0xF4, 0x02, 0x08}));
    EXPECT_EQ(stream.writes[4], (std::vector<uint8_t>{0xC2, 0xF4, 0x01, 0x08}));
}

TEST_F(ControlBlockTest, OperationModeFailures)
{
    stream.Reply(std::vector<uint8_t>{1, 0});   // mode unknown
    EXPECT_FALSE(commands.ChangeOperationMode(0x0C));
    stream.Reply(std::vector<uint8_t>{1, 1});
    stream.Reply(std::vector<uint8_t>{1, 0});
    stream.Reply(std::vector<uint8_t>{3, 0, 0, 0});   // switching time 0
    EXPECT_FALSE(commands.ChangeOperationMode(0x0C));
    // Already in the mode: success without switching.
    stream.writes.clear();
    stream.Reply(std::vector<uint8_t>{1, 1});
    stream.Reply(std::vector<uint8_t>{1, 1});
    EXPECT_TRUE(commands.ChangeOperationMode(0x0C));
    EXPECT_EQ(stream.writes.size(), 2u);
}

TEST_F(ControlBlockTest, ResyncNeedsF0)
{
    stream.Reply(std::vector<uint8_t>{0x00, 0x13, 0xF0});
    EXPECT_TRUE(commands.Resync());
    EXPECT_EQ(stream.writes[0], (std::vector<uint8_t>{0xC8, 0xF6, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0}));
    EXPECT_EQ(stream.readTimeout, 2500);
    EXPECT_EQ(stream.writeTimeout, 500);

    stream.writes.clear();
    stream.Reply(std::vector<uint8_t>{1, 2, 3});
    stream.Reply(std::vector<uint8_t>{0x13, 0xF0});
    EXPECT_TRUE(commands.Resync());   // second try
    EXPECT_EQ(stream.writes.size(), 2u);

    stream.writes.clear();
    stream.Reply(std::vector<uint8_t>{1, 2, 3});
    stream.Reply(std::vector<uint8_t>{4, 5, 6});
    stream.Reply(std::vector<uint8_t>{7, 8, 9, 0xF0});   // a fourth byte is not read
    EXPECT_FALSE(commands.Resync());
    EXPECT_EQ(stream.writes.size(), 3u);
}

TEST(TransferTimeout, Rule)
{
    EXPECT_EQ(CVnCommands::TransferTimeout(0, 1, 3840), 4000);
    EXPECT_EQ(CVnCommands::TransferTimeout(38400, 1, 3840), 10200);
    EXPECT_EQ(CVnCommands::TransferTimeout(160000, 1, 0), 10200);   // 16000 B/s when unknown
    EXPECT_EQ(CVnCommands::TransferTimeout(0xFFFFFFFF, 1000, 1), 2147483647);
}
