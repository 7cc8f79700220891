// SPDX-License-Identifier: GPL-3.0-or-later
// CIpStream: a TCP connection or UDP association as a CIoStream, named
// "host:port" (an "IP:" prefix is removed; no host: the passive side).
//
// Hard failures (no socket 6, wrong direction 29/30, failed connects and
// unexpected socket errors) are thrown with the Winsock number; time-outs
// (1460) and end of data (38) are stored.  A connection reset or aborted
// during Read or Write is re-established once inside the call, with the
// timeouts set before, and the transfer goes on on the new connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "streamio/IoStream.h"
#include "streamio/ip/IpSocket.h"

namespace StreamIO {

class CIpStream : public CIoStream {
public:
    CIpStream();
    // Opens at once; throws the failure.
    CIpStream(const std::u16string& name, uint32_t flags);
    ~CIpStream() override;

    // Error 50 and false when open.  SF_UDP in `flags` chooses UDP.
    bool Open(const std::u16string& name, uint32_t flags) override;
    // The same for a host and port that need no reading: the stream is named
    // "HOST:PORT".
    bool OpenHost(const std::string& host, uint16_t port, uint32_t flags);
    void Close() override;
    bool IsOpen() override;
    // The socket's connected flag (a client or peer exists).
    virtual bool IsConnected();                                       // 26
    bool GetTimeouts(int& readMs, int& writeMs) override;
    bool SetTimeouts(int readMs, int writeMs) override;
    uint32_t GetInputCount() override;
    void PurgeInput() override;
    // Disconnects and connects anew (the passive side listens anew).
    bool Cancel() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;

    CIpSocket* Socket() const { return m_socket.get(); }

private:
    // Opens the socket to `host` and `port` once m_name is set.
    bool OpenSocket(std::string host, std::string port, uint32_t flags);
    // Closes, opens again and restores the timeouts; false when the new
    // connection could not be made (the failure is thrown by Open).
    bool Reconnect();

    std::unique_ptr<CIpSocket> m_socket;
};

} // namespace StreamIO
