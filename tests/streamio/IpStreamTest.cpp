// SPDX-License-Identifier: GPL-3.0-or-later
// The IP stream against plain sockets on loopback: active and passive TCP,
// the reconnect after a reset, time-outs, UDP datagrams, and the failures.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "LoopbackPeer.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/ip/IpStream.h"

using namespace StreamIO;
using namespace LoopbackPeer;
using Platform::CFileException;

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kReadWrite = SF_READ | SF_WRITE;

std::u16string Name(const char* host, uint16_t port)
{
    return Platform::Format("IP:%s:%u", host, static_cast<unsigned>(port));
}

uint32_t OpenError(const std::u16string& name, uint32_t flags, std::u16string* thrownName = nullptr)
{
    try {
        CIpStream stream(name, flags);
    } catch (const CFileException& e) {
        if (thrownName != nullptr)
            *thrownName = e.GetFileName();
        return e.GetOsError();
    }
    return 0;
}

long long MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// The passive side binds the loopback only, never every interface.
struct SLoopbackListen {
    SLoopbackListen() { SetPassiveListenAddress("127.0.0.1"); }
    ~SLoopbackListen() { SetPassiveListenAddress(std::string()); }
};

} // namespace

TEST(IpStream, ActiveTcpWithNumericAndNamedHosts)
{
    const int listener = Bound(SOCK_STREAM);
    const uint16_t port = PortOf(listener);
    for (const char* host : {"127.0.0.1", "localhost"}) {
        SCOPED_TRACE(host);
        auto stream = OpenStream(Name(host, port), kReadWrite);
        EXPECT_EQ(stream->GetName(), Platform::Format("%s:%u", host, static_cast<unsigned>(port)));
        auto* ip = dynamic_cast<CIpStream*>(stream.get());
        ASSERT_NE(ip, nullptr);
        EXPECT_TRUE(ip->IsConnected());
        EXPECT_FALSE(stream->IsSeekable());
        const int peer = AcceptWithin(listener, 1000);
        ASSERT_GE(peer, 0);
        EXPECT_EQ(stream->Write("\x10@ID@\r", 6), 6u);
        EXPECT_EQ(ReceiveUpTo(peer, 6, 1000), "\x10@ID@\r");
        ASSERT_TRUE(SendAll(peer, "answer"));
        ASSERT_TRUE(Readable(ip->Socket()->Handle(), 1000));
        EXPECT_EQ(stream->GetInputCount(), 6u);
        char in[6] = {};
        EXPECT_EQ(stream->Read(in, 6), 6u);
        EXPECT_EQ(std::string(in, 6), "answer");
        EXPECT_EQ(stream->GetError(), 0u);

        // Open on an open stream changes nothing.
        EXPECT_FALSE(stream->Open(Name(host, port), kReadWrite));
        EXPECT_EQ(stream->GetError(), Platform::ERROR_NOT_SUPPORTED);
        EXPECT_TRUE(ip->IsConnected());
        close(peer);
    }
    close(listener);
}

TEST(IpStream, TimeoutsAreHonouredAndKeptAsMilliseconds)
{
    const int listener = Bound(SOCK_STREAM);
    CIpStream stream(Name("127.0.0.1", PortOf(listener)), kReadWrite);
    int r = 0, w = 0;
    ASSERT_TRUE(stream.GetTimeouts(r, w));
    EXPECT_EQ(r, 500);   // the defaults: 0 s 500000 us and 0 s 100000 us
    EXPECT_EQ(w, 100);
    ASSERT_TRUE(stream.SetTimeouts(1250, TIMEOUT_INFINITE));
    EXPECT_EQ(stream.Socket()->readTimeout.seconds, 1);
    EXPECT_EQ(stream.Socket()->readTimeout.microseconds, 250000);
    EXPECT_EQ(stream.Socket()->writeTimeout.seconds, -1);
    ASSERT_TRUE(stream.GetTimeouts(r, w));
    EXPECT_EQ(r, 1250);
    EXPECT_EQ(w, TIMEOUT_INFINITE);

    // Nothing comes: 0 bytes with 1460 after the read timeout, not before.
    ASSERT_TRUE(stream.SetTimeouts(150, 100));
    const int peer = AcceptWithin(listener, 1000);
    uint8_t b[4];
    const auto started = Clock::now();
    EXPECT_EQ(stream.Read(b, 4), 0u);
    const long long ms = MsSince(started);
    EXPECT_EQ(stream.GetError(), Platform::ERROR_TIMEOUT);
    EXPECT_TRUE(stream.IsEofOrTimeout());
    EXPECT_GE(ms, 140);
    EXPECT_LT(ms, 1000);

    // Part of the count: what came, with 1460.
    ASSERT_TRUE(SendAll(peer, "ab"));
    EXPECT_EQ(stream.Read(b, 4), 2u);
    EXPECT_EQ(stream.GetError(), Platform::ERROR_TIMEOUT);
    close(peer);
    close(listener);
}

TEST(IpStream, PassiveTcpAcceptsAtTheFirstReadAndListensAnew)
{
    SLoopbackListen loopback;
    const uint16_t port = ClosedPort();
    CIpStream stream(Platform::Format(":%u", static_cast<unsigned>(port)), kReadWrite);
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_FALSE(stream.IsConnected());
    ASSERT_TRUE(stream.SetTimeouts(100, 100));
    uint8_t b[8];
    EXPECT_EQ(stream.Read(b, 8), 0u);   // no client yet
    EXPECT_EQ(stream.GetError(), Platform::ERROR_TIMEOUT);

    for (int client = 0; client < 2; ++client) {
        SCOPED_TRACE(client);
        const int peer = ConnectTo("127.0.0.1", port);
        ASSERT_GE(peer, 0);
        ASSERT_TRUE(SendAll(peer, "hello"));
        ASSERT_TRUE(stream.SetTimeouts(1000, 100));
        EXPECT_EQ(stream.Read(b, 5), 5u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 5), "hello");
        EXPECT_TRUE(stream.IsConnected());
        EXPECT_EQ(stream.Write("ok", 2), 2u);
        EXPECT_EQ(ReceiveUpTo(peer, 2, 1000), "ok");
        close(peer);
        // The client left: nothing read, and the stream listens again.
        EXPECT_EQ(stream.Read(b, 1), 0u);
        EXPECT_EQ(stream.GetError(), Platform::ERROR_HANDLE_EOF);
        EXPECT_FALSE(stream.IsConnected());
    }
}

TEST(IpStream, ResetDuringReadReconnectsOnceAndKeepsTheTimeouts)
{
    const int listener = Bound(SOCK_STREAM);
    CIpStream stream(Name("127.0.0.1", PortOf(listener)), kReadWrite);
    ASSERT_TRUE(stream.SetTimeouts(1500, 80));
    auto peerSide = std::async(std::launch::async, [&] {
        const int first = AcceptWithin(listener, 2000);
        SendAll(first, "abc");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));   // the stream has read "abc"
        Reset(first);
        const int second = AcceptWithin(listener, 2000);
        SendAll(second, "defgh");
        return second;
    });
    char in[8] = {};
    EXPECT_EQ(stream.Read(in, 8), 8u);
    EXPECT_EQ(std::string(in, 8), "abcdefgh");
    EXPECT_EQ(stream.GetError(), 0u);
    const int second = peerSide.get();
    ASSERT_GE(second, 0);
    int r = 0, w = 0;
    ASSERT_TRUE(stream.GetTimeouts(r, w));
    EXPECT_EQ(r, 1500);
    EXPECT_EQ(w, 80);
    EXPECT_EQ(stream.Write("x", 1), 1u);
    EXPECT_EQ(ReceiveUpTo(second, 1, 1000), "x");

    // An orderly close by the peer is the end of data, not a reconnect.
    close(second);
    EXPECT_EQ(stream.Read(in, 1), 0u);
    EXPECT_EQ(stream.GetError(), Platform::ERROR_HANDLE_EOF);
    EXPECT_EQ(AcceptWithin(listener, 100), -1);
    close(listener);
}

TEST(IpStream, CancelConnectsAnew)
{
    const int listener = Bound(SOCK_STREAM);
    CIpStream stream(Name("127.0.0.1", PortOf(listener)), kReadWrite);
    const int first = AcceptWithin(listener, 1000);
    EXPECT_TRUE(stream.Cancel());
    EXPECT_EQ(ReceiveUpTo(first, 1, 500), "");   // the old connection ended
    const int second = AcceptWithin(listener, 1000);
    ASSERT_GE(second, 0);
    EXPECT_EQ(stream.Write("y", 1), 1u);
    EXPECT_EQ(ReceiveUpTo(second, 1, 1000), "y");
    close(first);
    close(second);
    close(listener);
}

TEST(IpStream, UdpDatagramIsHandedOutInPartsWithoutNewTraffic)
{
    const int peer = Bound(SOCK_DGRAM);
    const uint16_t port = PortOf(peer);
    CIpStream stream(Name("127.0.0.1", port), kReadWrite | SF_UDP);
    ASSERT_TRUE(stream.SetTimeouts(100, 100));
    EXPECT_TRUE(stream.IsConnected());
    EXPECT_EQ(stream.Write("hi", 2), 2u);
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    char buffer[128];
    ASSERT_TRUE(Readable(peer, 1000));
    ASSERT_EQ(recvfrom(peer, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength), 2);

    std::string datagram;
    for (int i = 0; i < 100; ++i)
        datagram += static_cast<char>(i);
    ASSERT_EQ(sendto(peer, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength), 100);
    ASSERT_TRUE(Readable(stream.Socket()->Handle(), 1000));
    char in[40];
    std::string got;
    EXPECT_EQ(stream.Read(in, 40), 40u);
    got.append(in, 40);
    EXPECT_EQ(stream.GetInputCount(), 0u);   // the rest is held, not on the socket
    EXPECT_EQ(stream.Read(in, 40), 40u);
    got.append(in, 40);
    EXPECT_EQ(stream.Read(in, 40), 20u);
    got.append(in, 20);
    EXPECT_EQ(got, datagram);
    close(peer);

    // Nobody at the other end any more: the refusal is not a failure.
    stream.Write("z", 1);
    EXPECT_EQ(stream.Read(in, 1), 0u);
}

TEST(IpStream, PassiveUdpAnswersOnlyASenderItHeard)
{
    SLoopbackListen loopback;
    const uint16_t port = ClosedPort();
    CIpStream stream(Platform::Format(":%u", static_cast<unsigned>(port)), kReadWrite | SF_UDP);
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_EQ(stream.Write("early", 5), 0u);
    EXPECT_EQ(stream.GetError(), Platform::ERROR_HANDLE_EOF);

    const int peer = Bound(SOCK_DGRAM);
    const sockaddr_in to = Address("127.0.0.1", port);
    ASSERT_EQ(sendto(peer, "ping", 4, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to), 4);
    ASSERT_TRUE(stream.SetTimeouts(1000, 100));
    char in[4];
    EXPECT_EQ(stream.Read(in, 4), 4u);
    EXPECT_TRUE(stream.IsConnected());
    EXPECT_EQ(stream.Write("pong", 4), 4u);
    char back[8] = {};
    ASSERT_TRUE(Readable(peer, 1000));
    EXPECT_EQ(recv(peer, back, sizeof back, 0), 4);
    EXPECT_EQ(std::string(back, 4), "pong");
    close(peer);
}

TEST(IpStream, FailuresAreThrownWithTheNameAndWinsockNumber)
{
    std::u16string thrown;
    const uint16_t closed = ClosedPort();
    const auto started = Clock::now();
    EXPECT_EQ(OpenError(Name("127.0.0.1", closed), kReadWrite, &thrown), Platform::WSAECONNREFUSED);
    EXPECT_LT(MsSince(started), 1000);
    EXPECT_EQ(thrown, Platform::Format("127.0.0.1:%u", static_cast<unsigned>(closed)));
    EXPECT_EQ(OpenError(u"IP:no-such-host.invalid:3728", kReadWrite), Platform::WSAHOST_NOT_FOUND);
    EXPECT_EQ(OpenError(u"IP:999.1.1.1:3728", kReadWrite), Platform::WSAHOST_NOT_FOUND);

    const int listener = Bound(SOCK_STREAM);
    CIpStream readOnly(Name("127.0.0.1", PortOf(listener)), SF_READ);
    try {
        readOnly.Write("x", 1);
        ADD_FAILURE() << "a write on a read-only stream";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetOsError(), Platform::ERROR_WRITE_FAULT);
    }
    readOnly.Close();
    EXPECT_FALSE(readOnly.IsOpen());
    uint8_t b;
    EXPECT_THROW(readOnly.Read(&b, 1), CFileException);
    EXPECT_EQ(readOnly.GetError(), Platform::ERROR_INVALID_HANDLE);
    EXPECT_THROW(readOnly.Close(), CFileException);
    EXPECT_FALSE(readOnly.Cancel());
    // Reopen connects again with the stored name.
    EXPECT_TRUE(readOnly.Reopen());
    EXPECT_TRUE(readOnly.IsConnected());
    close(listener);
}
