// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/ip/IpStream.h"

#include <algorithm>
#include <chrono>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/Text.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamSpec.h"

namespace StreamIO {

namespace {

using Clock = std::chrono::steady_clock;

int MsOf(const STimeval& t)
{
    if (t.seconds < 0)
        return TIMEOUT_INFINITE;
    return static_cast<int>(t.seconds * 1000 + t.microseconds / 1000);
}

STimeval TimevalOf(int ms)
{
    if (ms == TIMEOUT_INFINITE)
        return STimeval{-1, 0};
    if (ms < 0)
        ms = 0;
    return STimeval{ms / 1000, static_cast<long>(ms % 1000) * 1000};
}

int64_t ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

bool IsReset(uint32_t code)
{
    return code == Platform::WSAECONNABORTED || code == Platform::WSAECONNRESET;
}

// Results a transfer stores without throwing.
bool IsSoftResult(uint32_t code)
{
    return code == 0 || code == Platform::ERROR_TIMEOUT || IsReset(code);
}

} // namespace

CIpStream::CIpStream() = default;

CIpStream::CIpStream(const std::u16string& name, uint32_t flags)
{
    Open(name, flags);
}

CIpStream::~CIpStream()
{
    if (m_socket)
        m_socket->Disconnect();
}

bool CIpStream::Open(const std::u16string& name, uint32_t flags)
{
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    std::u16string rest = name;   // `name` may be our own m_name
    if (Platform::StartsWithNoCase(rest, u"IP:"))
        rest.erase(0, 3);
    m_name = rest;
    std::string host, port;
    SplitHostPort(rest, host, port);
    return OpenSocket(std::move(host), std::move(port), flags);
}

bool CIpStream::OpenHost(const std::string& host, uint16_t port, uint32_t flags)
{
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    m_name = Platform::FromUtf8(host) + u":" + Platform::FromUtf8(std::to_string(port));
    return OpenSocket(host, std::to_string(port), flags);
}

bool CIpStream::OpenSocket(std::string host, std::string port, uint32_t flags)
{
    m_flags = flags;
    m_error = 0;
    const uint32_t started = StartSockets();
    if (started != 0)
        ThrowError(started);
    std::unique_ptr<CIpSocket> socket;
    if ((flags & SF_UDP) != 0)
        socket = std::make_unique<CUdpSocket>(std::move(host), std::move(port));
    else
        socket = std::make_unique<CTcpSocket>(std::move(host), std::move(port));
    const uint32_t error = socket->Connect();
    if (error != 0) {
        socket.reset();
        ThrowError(error);
    }
    m_socket = std::move(socket);
    return true;
}

void CIpStream::Close()
{
    m_error = 0;
    if (!m_socket)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
    const uint32_t error = m_socket->Disconnect();
    m_socket.reset();
    if (error != 0)
        ThrowError(error);
}

bool CIpStream::IsOpen()
{
    return m_socket != nullptr;
}

bool CIpStream::IsConnected()
{
    return m_socket && m_socket->IsConnected();
}

bool CIpStream::GetTimeouts(int& readMs, int& writeMs)
{
    if (!m_socket)
        return false;
    readMs = MsOf(m_socket->readTimeout);
    writeMs = MsOf(m_socket->writeTimeout);
    return true;
}

bool CIpStream::SetTimeouts(int readMs, int writeMs)
{
    if (!m_socket)
        return false;
    m_socket->readTimeout = TimevalOf(readMs);
    m_socket->writeTimeout = TimevalOf(writeMs);
    return true;
}

uint32_t CIpStream::GetInputCount()
{
    int n = 0;
    if (!m_socket || m_socket->Handle() < 0 || ::ioctl(m_socket->Handle(), FIONREAD, &n) != 0 || n < 0)
        return 0;
    return static_cast<uint32_t>(n);
}

void CIpStream::PurgeInput()
{
    const uint32_t n = GetInputCount();
    if (n == 0)
        return;
    std::vector<uint8_t> scratch(n);
    int got = 0;
    SetError(m_socket->Receive(scratch.data(), n, got));
}

bool CIpStream::Cancel()
{
    if (!m_socket)
        return false;
    m_socket->abort = true;
    m_socket->Disconnect();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint32_t error = m_socket->Connect();
    m_socket->abort = false;
    if (error != 0)
        ThrowError(error);
    return true;
}

bool CIpStream::Reconnect()
{
    int readMs = 0, writeMs = 0;
    GetTimeouts(readMs, writeMs);
    Abort();
    if (!Reopen())
        return false;
    SetError(0);
    SetTimeouts(readMs, writeMs);
    return true;
}

uint32_t CIpStream::Read(void* buffer, uint32_t count)
{
    if (!m_socket)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
    if ((m_flags & SF_READ) == 0)
        ThrowError(Platform::ERROR_READ_FAULT);
    m_error = 0;
    if (count == 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    const Clock::time_point started = Clock::now();
    uint32_t got = 0;
    bool reconnected = false;
    for (;;) {
        // Each wait gets only the time the call has left.
        const int timeout = MsOf(m_socket->readTimeout);
        m_socket->receiveCapMs =
            timeout == TIMEOUT_INFINITE ? -1 : static_cast<int>(std::max<int64_t>(0, timeout - ElapsedMs(started)));
        int received = 0;
        const uint32_t result = m_socket->Receive(out + got, count - got, received);
        m_socket->receiveCapMs = -1;
        if (!IsSoftResult(result))
            ThrowError(result);
        SetError(result);
        got += static_cast<uint32_t>(std::max(received, 0));
        if (IsReset(result)) {
            // One transparent reconnect per call; a second loss stays stored.
            if (reconnected || !Reconnect())
                break;
            reconnected = true;
        } else if (received == 0 && result != Platform::ERROR_TIMEOUT) {
            SetError(Platform::ERROR_HANDLE_EOF);
            break;
        }
        if (m_error != 0 || got >= count)
            break;
        const int readMs = MsOf(m_socket->readTimeout);
        if (readMs != TIMEOUT_INFINITE && ElapsedMs(started) >= readMs) {
            SetError(Platform::ERROR_TIMEOUT);
            break;
        }
    }
    return got;
}

uint32_t CIpStream::Write(const void* buffer, uint32_t count)
{
    if (!m_socket)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
    if ((m_flags & SF_WRITE) == 0)
        ThrowError(Platform::ERROR_WRITE_FAULT);
    m_error = 0;
    if (count == 0)
        return 0;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    const Clock::time_point started = Clock::now();
    uint32_t sent = 0;
    bool reconnected = false;
    // A stream socket may take a large buffer in parts: go on until all of
    // it went out or the write timeout has passed, as a blocking send does.
    while (sent < count) {
        int n = 0;
        const uint32_t result = m_socket->Send(in + sent, count - sent, n);
        if (!IsSoftResult(result))
            ThrowError(result);
        SetError(result);
        sent += static_cast<uint32_t>(std::max(n, 0));
        if (IsReset(result)) {
            // Reconnected, the bytes not yet sent go on the new connection.
            if (reconnected || !Reconnect())
                break;
            reconnected = true;
            continue;
        }
        if (result != 0 || n <= 0)
            break;
        const int writeMs = MsOf(m_socket->writeTimeout);
        if (writeMs != TIMEOUT_INFINITE && ElapsedMs(started) >= writeMs && sent < count) {
            SetError(Platform::ERROR_TIMEOUT);
            break;
        }
    }
    if (sent == 0 && m_error != Platform::ERROR_TIMEOUT)
        SetError(Platform::ERROR_HANDLE_EOF);
    return sent;
}

// The factory's IP streams: the name still carries its "IP:" prefix.
std::unique_ptr<CIoStream> CreateIpStream(const std::u16string& name, uint32_t flags)
{
    return std::make_unique<CIpStream>(name, flags);
}

} // namespace StreamIO
