// SPDX-License-Identifier: GPL-3.0-or-later
// The text layer of CVnCommands against a scripted instrument.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptStream.h"
#include "device/VnCommands.h"

using namespace Device;

namespace {

struct TextFixture : ::testing::Test {
    CScriptStream stream;
    CVnCommands commands{&stream};

    void SetUp() override { commands.InitEcho(false, false); }
    // The instrument acknowledges DLE, then answers the command line.
    void Answer(const std::string& line)
    {
        stream.Reply(std::vector<uint8_t>{0x06});
        stream.Reply(line);
    }
};

} // namespace

using TextCommandTest = TextFixture;

TEST_F(TextCommandTest, SendsDleCommandAndCarriageReturn)
{
    Answer("Veltrano;1.0;12345\r");
    EXPECT_TRUE(commands.TextCommand("ID", 4000));
    EXPECT_EQ(commands.GetAnswer(), "Veltrano;1.0;12345");
    ASSERT_EQ(stream.writes.size(), 2u);
    EXPECT_EQ(stream.writes[0], (std::vector<uint8_t>{0x10}));
    EXPECT_EQ(stream.writes[1], (std::vector<uint8_t>{'I', 'D', 0x0D}));
    EXPECT_EQ(stream.readTimeout, 4000);
}

TEST_F(TextCommandTest, QuestionMarkMeansFailure)
{
    Answer("OK?\r");
    EXPECT_FALSE(commands.TextCommand("XX"));
    EXPECT_EQ(commands.GetAnswer(), "OK?");
    Answer("\r");
    EXPECT_TRUE(commands.TextCommand("XX"));   // an empty answer succeeds
    EXPECT_EQ(commands.GetAnswer(), "");
}

TEST_F(TextCommandTest, NoAcknowledgeOrNoLineFails)
{
    stream.ReplyNothing();
    EXPECT_FALSE(commands.TextCommand("ID"));
    EXPECT_EQ(stream.writes.size(), 1u);   // nothing after the DLE
    stream.writes.clear();
    Answer("");
    EXPECT_FALSE(commands.TextCommand("ID"));
    // A line without CR and without LF that times out is no line.
    Answer("abc");
    EXPECT_FALSE(commands.TextCommand("ID"));
}

TEST_F(TextCommandTest, EchoedAnswerFollowsTheFirstBlank)
{
    commands.InitEcho(true, false);
    Answer("ID Veltrano;1.0;7\r\n");
    EXPECT_TRUE(commands.TextCommand("ID"));
    EXPECT_EQ(commands.GetAnswer(), "Veltrano;1.0;7");
    Answer("ID\r\n");   // no blank: no answer
    EXPECT_FALSE(commands.TextCommand("ID"));
    Answer("ID \r\n");  // the text after the blank ends at once: an empty answer
    EXPECT_TRUE(commands.TextCommand("ID"));
    EXPECT_EQ(commands.GetAnswer(), "");
}

TEST_F(TextCommandTest, OverlongLineIsCut)
{
    Answer(std::string(3000, 'A') + "\r");
    EXPECT_TRUE(commands.TextCommand("X"));
    EXPECT_EQ(commands.GetAnswer().size(), 1022u);
}

TEST_F(TextCommandTest, ReadLineTimeoutAfterCarriageReturn)
{
    commands.InitEcho(true, false);   // CR alone does not end the line
    stream.input = {'a', 'b', 'c', 0x0D};
    char line[16];
    EXPECT_EQ(commands.ReadLine(line, sizeof line), 4);
    EXPECT_STREQ(line, "abc\r");
    stream.input = {'a', 'b', 'c'};
    EXPECT_EQ(commands.ReadLine(line, sizeof line), -1);
    stream.input = {'x', '\n', 'y'};
    EXPECT_EQ(commands.ReadLine(line, sizeof line), 2);
    EXPECT_STREQ(line, "x\n");
    // At most size - 1 bytes are stored.
    stream.input = {'1', '2', '3', '4', '5', '6'};
    EXPECT_EQ(commands.ReadLine(line, 4), 3);
    EXPECT_STREQ(line, "123");
}

TEST_F(TextCommandTest, InitEchoProbeSwitchesEchoOn)
{
    // The query's answer without echo ("0\r"), then "EC1" is answered "OK".
    stream.Reply(std::vector<uint8_t>{0x06});
    stream.Reply("0\r");
    Answer("OK\r");
    EXPECT_TRUE(commands.InitEcho(true, true));
    EXPECT_TRUE(commands.GetEcho());
    EXPECT_EQ(stream.writes[1], (std::vector<uint8_t>{0x45, 0x43, 0x3F, 0x0D}));
    EXPECT_EQ(stream.writes[3], (std::vector<uint8_t>{'E', 'C', '1', 0x0D}));

    // An echoing instrument ("EC? 1\r\n"): echo is seen, "EC0" turns it off.
    stream.writes.clear();
    stream.Reply(std::vector<uint8_t>{0x06});
    stream.Reply("EC? 1\r\n");
    Answer("EC0 OK\r\n");
    EXPECT_TRUE(commands.InitEcho(false, true));
    EXPECT_FALSE(commands.GetEcho());
}

TEST_F(TextCommandTest, DirectoryListingChecksItsLength)
{
    Answer("0000000C;A.TXT;B.TXT;\r");
    std::string listing;
    EXPECT_TRUE(commands.ListDirectory(0x12, listing));
    EXPECT_EQ(listing, "A.TXT;B.TXT");
    EXPECT_EQ(stream.writes[1], (std::vector<uint8_t>{'D', 'I', 'R', 'S', ' ', '0', '0', '1', '2', 0x0D}));
    Answer("00000005;A.TXT;B.TXT;\r");
    EXPECT_FALSE(commands.ListDirectory(0x12, listing));
    Answer("XYZ\r");
    EXPECT_FALSE(commands.ListDirectory(0x12, listing));
}

TEST_F(TextCommandTest, FileCommandsQuotePaths)
{
    EXPECT_EQ(CVnCommands::QuotePath(u"A:\\data\\x.bin"), "A:\\\\data\\\\x.bin");
    EXPECT_EQ(CVnCommands::QuotePath(u"\u00e4\u4e00"), "\xe4?");

    // The file's bytes follow the answer line at once.
    stream.Reply(std::vector<uint8_t>{0x06});
    stream.Reply(std::vector<uint8_t>{'0', '0', '0', '0', '0', '0', '0', '4', 0x0D, 9, 8, 7, 6});
    std::vector<uint8_t> data;
    EXPECT_TRUE(commands.LoadFile(u"A:\\f", data));
    EXPECT_EQ(data, (std::vector<uint8_t>{9, 8, 7, 6}));
    const std::string sent(stream.writes[1].begin(), stream.writes[1].end());
    EXPECT_EQ(sent, "LOAD \"A:\\\\f\"\r");

    Answer("FFFFFFFF\r");   // longer than any file the instrument can hold
    EXPECT_FALSE(commands.LoadFile(u"x", data));
}

TEST_F(TextCommandTest, PacketInfo)
{
    stream.Reply(std::vector<uint8_t>{0x06});
    stream.Reply(std::vector<uint8_t>{0, 0, 3, 0, 0, 0, 'a', 'b', 'c'});
    std::vector<uint8_t> packet;
    EXPECT_EQ(commands.ReadPacketInfo(packet), 1);
    EXPECT_EQ(packet, (std::vector<uint8_t>{'a', 'b', 'c'}));

    stream.Reply(std::vector<uint8_t>{0x06});
    stream.Reply(std::vector<uint8_t>{'s', 's', 1, 0, 0});
    EXPECT_EQ(commands.ReadPacketInfo(packet), 0);

    stream.Reply(std::vector<uint8_t>{0x06});
    stream.Reply(std::vector<uint8_t>{0, 0, 0x81, 0x38, 0x01, 0});   // 80001 bytes: refused
    EXPECT_EQ(commands.ReadPacketInfo(packet), -1);
    EXPECT_TRUE(packet.empty());
}
