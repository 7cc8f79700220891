// SPDX-License-Identifier: GPL-3.0-or-later
// Reads and writes with COMMTIMEOUTS semantics, Cancel from another thread,
// input queue control.
#include "streamio/Rs232TestSupport.h"

#include <thread>

#include "platform/ErrorCodes.h"
#include "streamio/FileTestSupport.h"

using namespace StreamIO;
using namespace Platform;

namespace {

const std::string kXoff = "\x13";
const std::string kXon = "\x11";

} // namespace

TEST_F(Rs232Test, BytesPassUntranslated)
{
    CRs232Stream s(kPort, kReadWrite, nullptr);
    const std::string binary("\r\n\x11\x13\x00\x03\x1a\xff\x7f", 9);
    EXPECT_EQ(s.Write(binary.data(), 9), 9u);
    EXPECT_EQ(pty.Receive(9, 1000), binary);

    ASSERT_TRUE(pty.Send(binary));
    std::string in(9, '?');
    ASSERT_TRUE(s.SetTimeouts(1000, TIMEOUT_INFINITE));
    EXPECT_EQ(s.Read(in.data(), 9), 9u);
    EXPECT_EQ(in, binary);
    EXPECT_EQ(s.GetError(), 0u);
    s.Flush();
}

TEST_F(Rs232Test, ReadTimeoutReturnsWhatCame)
{
    CRs232Stream s(kPort, kReadWrite, nullptr);
    ASSERT_TRUE(s.SetTimeouts(200, TIMEOUT_INFINITE));
    ASSERT_TRUE(pty.Send("abc"));
    char buffer[10] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.Read(buffer, sizeof buffer), 3u);   // waits the whole timeout for the rest
    EXPECT_GE(MsSince(start), 195);
    EXPECT_EQ(s.GetError(), 0u);
    EXPECT_EQ(std::string(buffer, 3), "abc");

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.Read(buffer, sizeof buffer), 0u);
    EXPECT_GE(MsSince(start), 195);
    EXPECT_EQ(s.GetError(), ERROR_HANDLE_EOF);
    EXPECT_TRUE(s.IsEofOrTimeout());
    EXPECT_EQ(s.Read(buffer, 0), 0u);
    EXPECT_EQ(s.GetError(), 0u);
}

TEST_F(Rs232Test, BlockingReadEndsWithTheLastByte)
{
    CRs232Stream s(kPort, kReadWrite, nullptr);
    ASSERT_TRUE(s.SetSettings(Record(9600, TIMEOUT_INFINITE, TIMEOUT_INFINITE)));
    std::thread far([&] {
        pty.Send("he");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        pty.Send("llo!");
    });
    char buffer[5] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.Read(buffer, 5), 5u);
    EXPECT_GE(MsSince(start), 100);
    far.join();
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(s.ReadByte(), '!');
}

TEST_F(Rs232Test, CancelEndsABlockedReadOnly)
{
    CRs232Stream s(kPort, kReadWrite, nullptr);
    ASSERT_TRUE(s.SetTimeouts(TIMEOUT_INFINITE, TIMEOUT_INFINITE));
    uint32_t got = 99;
    uint32_t error = 0;
    std::thread reader([&] {
        char buffer[4];
        got = s.Read(buffer, sizeof buffer);
        error = s.GetError();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(s.Cancel());
    reader.join();
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);

    // A Cancel with no transfer running does not end the next one.
    EXPECT_TRUE(s.Cancel());
    ASSERT_TRUE(pty.Send("ok"));
    char buffer[2];
    EXPECT_EQ(s.Read(buffer, 2), 2u);
    EXPECT_EQ(s.GetError(), 0u);
}

TEST_F(Rs232Test, WriteTimeoutAndCancelUnderXoff)
{
    SerialSettings r = Record(9600, 500, 10);
    r.handshake = HANDSHAKE_XONXOFF;
    CRs232Stream s(kPort, kReadWrite, &r);
    ASSERT_TRUE(pty.Send(kXoff));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

    // 4 bytes: 50 ms each plus 10 ms.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.Write("data", 4), 0u);
    EXPECT_GE(MsSince(start), 205);
    EXPECT_EQ(s.GetError(), ERROR_TIMEOUT);
    EXPECT_TRUE(s.IsEofOrTimeout());

    ASSERT_TRUE(s.SetTimeouts(500, TIMEOUT_INFINITE));
    uint32_t sent = 99;
    uint32_t error = 0;
    std::thread writer([&] {
        sent = s.Write("data", 4);
        error = s.GetError();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    s.Cancel();
    writer.join();
    EXPECT_EQ(sent, 0u);
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);

    ASSERT_TRUE(pty.Send(kXon));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(s.Write("more", 4), 4u);
    EXPECT_EQ(pty.Receive(4, 1000), "more");
}

TEST_F(Rs232Test, InputCountAndPurge)
{
    CRs232Stream s(kPort, kReadWrite, nullptr);
    ASSERT_TRUE(pty.Send("12345"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(s.GetInputCount(), 5u);
    s.PurgeInput();
    EXPECT_EQ(s.GetInputCount(), 0u);
    ASSERT_TRUE(s.SetTimeouts(50, TIMEOUT_INFINITE));
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0u);
    EXPECT_EQ(s.GetError(), ERROR_HANDLE_EOF);
}

TEST_F(Rs232Test, DirectionsAndClosedPort)
{
    {
        CRs232Stream readOnly(kPort, SF_READ, nullptr);
        EXPECT_EQ(ThrownError([&] { readOnly.Write("x", 1); }), ERROR_WRITE_FAULT);
        readOnly.Flush();   // nothing to push out
    }
    CRs232Stream writeOnly(kPort, SF_WRITE, nullptr);
    char c;
    EXPECT_EQ(ThrownError([&] { writeOnly.Read(&c, 1); }), ERROR_READ_FAULT);
    EXPECT_EQ(writeOnly.GetInputCount(), 0u);
    writeOnly.PurgeInput();
    writeOnly.Close();
    EXPECT_EQ(ThrownError([&] { writeOnly.Write("x", 1); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ThrownError([&] { writeOnly.Cancel(); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ThrownError([&] { writeOnly.Close(); }), ERROR_INVALID_HANDLE);
}
