// SPDX-License-Identifier: GPL-3.0-or-later
// The sockets of the IP stream: CIpSocket and its TCP and UDP kinds, over
// BSD sockets with Winsock error numbers.
//
// A socket is built from a name "host:port" (see SplitHostPort); without a
// host it is the passive side: TCP listens for one client at a time and
// listens anew when its client leaves, UDP is bound and answers the last
// sender.  Transfers wait with poll for the socket's timeouts (seconds and
// microseconds; seconds -1 waits without limit).  Results are Winsock
// numbers, 1460 for a time-out, 0 for success.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <netdb.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace StreamIO {

struct STimeval {
    long seconds = 0;        // -1: no limit
    long microseconds = 0;

    // The wait for poll in milliseconds (-1 without limit), at most `capMs`
    // when capMs is not negative.
    int PollMs(int capMs = -1) const;
};

class CIpSocket {
public:
    explicit CIpSocket(const std::u16string& name);
    CIpSocket(std::string host, std::string port);
    virtual ~CIpSocket();                                                    // 0

    CIpSocket(const CIpSocket&) = delete;
    CIpSocket& operator=(const CIpSocket&) = delete;

    virtual uint32_t Connect() = 0;                                          // 1
    virtual uint32_t Disconnect() = 0;                                       // 2
    virtual uint32_t Receive(void* buffer, uint32_t size, int& got) = 0;     // 3
    virtual uint32_t Send(const void* buffer, uint32_t size, int& sent) = 0; // 4

    bool IsPassive() const { return m_host.empty(); }
    bool IsConnected() const { return m_connected; }
    int Handle() const { return m_socket.load(); }
    const std::string& Host() const { return m_host; }
    const std::string& Port() const { return m_port; }

    STimeval readTimeout{0, 500000};
    STimeval writeTimeout{0, 100000};
    // Set by the stream's Cancel while it reconnects: every transfer then
    // pauses 50 ms before it returns.
    std::atomic<bool> abort{false};
    // When not negative, a Receive waits at most this long (the time its
    // caller has left).
    int receiveCapMs = -1;

protected:
    // Looks up the name for `type`/`protocol` (passive: the local address,
    // every interface unless SetPassiveListenAddress named one) and calls
    // `use(address)` for each result until it answers 0.  Returns the last
    // error, or 0.
    uint32_t ForEachAddress(int type, int protocol, const std::function<uint32_t(const addrinfo&)>& use);
    // Waits until `fd` is readable (`forWrite` false) or writable; 0 when it
    // is, 1460 on time-out, else the Winsock error.
    static uint32_t Wait(int fd, bool forWrite, const STimeval& timeout, int capMs = -1);
    void PauseWhileAborting() const;
    static void CloseHandle(std::atomic<int>& fd);

    std::string m_host;
    std::string m_port;
    std::atomic<int> m_socket{-1};
    bool m_connected = false;
};

class CTcpSocket : public CIpSocket {
public:
    using CIpSocket::CIpSocket;
    ~CTcpSocket() override;

    uint32_t Connect() override;
    uint32_t Disconnect() override;
    uint32_t Receive(void* buffer, uint32_t size, int& got) override;
    uint32_t Send(const void* buffer, uint32_t size, int& sent) override;

    int ListenHandle() const { return m_listen.load(); }

private:
    // The passive side's accept of one client; 0, 1460 or the error.
    uint32_t Accept(const STimeval& timeout, int capMs);
    // The passive side after its client left or failed: listen anew.
    uint32_t Relisten();

    std::atomic<int> m_listen{-1};
};

class CUdpSocket : public CIpSocket {
public:
    using CIpSocket::CIpSocket;
    ~CUdpSocket() override;

    uint32_t Connect() override;
    uint32_t Disconnect() override;
    uint32_t Receive(void* buffer, uint32_t size, int& got) override;
    uint32_t Send(const void* buffer, uint32_t size, int& sent) override;

    // Bytes of a datagram received but not handed out yet.
    size_t HeldBytes() const { return m_held.size() - m_heldPos; }

private:
    sockaddr_storage m_sender{};
    socklen_t m_senderLength = 0;
    std::vector<uint8_t> m_held;
    size_t m_heldPos = 0;
};

// The process-wide socket start-up (once, under its own lock): 0, or the
// error that start-up failed with.
uint32_t StartSockets();

// The numeric address the passive side binds (empty, the default: every
// interface); tests keep it to the loopback.
void SetPassiveListenAddress(const std::string& address);
std::string PassiveListenAddress();

// The longest an active TCP connect waits for the other side.
constexpr int kConnectTimeoutMs = 3000;

} // namespace StreamIO
