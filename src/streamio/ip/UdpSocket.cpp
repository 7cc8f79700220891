// SPDX-License-Identifier: GPL-3.0-or-later
// CUdpSocket: the active side is connected to its host; the passive side is
// bound and answers the last sender.  A datagram larger than the caller's
// buffer is held and handed out in the following calls.
#include "streamio/ip/IpSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"

namespace StreamIO {

namespace {

// A peer that is gone: an ICMP "port unreachable" shows as ECONNREFUSED on
// Linux where Windows reports 10054.
uint32_t DatagramError(int err)
{
    return err == ECONNREFUSED ? static_cast<uint32_t>(Platform::WSAECONNRESET) : Platform::WsaErrorFromErrno(err);
}

bool IsPeerGone(uint32_t code)
{
    return code == Platform::WSAECONNABORTED || code == Platform::WSAECONNRESET || code == Platform::WSAETIMEDOUT;
}

} // namespace

CUdpSocket::~CUdpSocket()
{
    Disconnect();
}

uint32_t CUdpSocket::Connect()
{
    const bool passive = IsPassive();
    return ForEachAddress(SOCK_DGRAM, IPPROTO_UDP, [this, passive](const addrinfo& a) -> uint32_t {
        const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
        if (fd < 0)
            return Platform::WsaErrorFromErrno(errno);
        const int rc = passive ? ::bind(fd, a.ai_addr, a.ai_addrlen) : ::connect(fd, a.ai_addr, a.ai_addrlen);
        if (rc != 0) {
            const uint32_t error = Platform::WsaErrorFromErrno(errno);
            ::close(fd);
            return error;
        }
        m_socket.store(fd);
        m_connected = !passive;
        return 0;
    });
}

uint32_t CUdpSocket::Disconnect()
{
    m_connected = false;
    m_held.clear();
    m_heldPos = 0;
    CloseHandle(m_socket);
    return 0;
}

uint32_t CUdpSocket::Receive(void* buffer, uint32_t size, int& got)
{
    got = 0;
    uint32_t result = 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (HeldBytes() > 0) {
        const size_t n = std::min<size_t>(size, HeldBytes());
        std::memcpy(out, m_held.data() + m_heldPos, n);
        m_heldPos += n;
        if (HeldBytes() == 0) {
            m_held.clear();
            m_heldPos = 0;
        }
        got = static_cast<int>(n);
        PauseWhileAborting();
        return 0;
    }
    const int fd = m_socket.load();
    result = Wait(fd, false, readTimeout, receiveCapMs);
    while (result == 0) {
        int next = 0;
        const bool sized = ::ioctl(fd, FIONREAD, &next) == 0 && next >= 0;
        const bool direct = !sized || size >= static_cast<uint32_t>(next);
        std::vector<uint8_t> whole;
        if (!direct)
            whole.resize(static_cast<size_t>(next));
        uint8_t* target = direct ? out : whole.data();
        const size_t room = direct ? size : whole.size();
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = IsPassive() ? ::recvfrom(fd, target, room, 0, reinterpret_cast<sockaddr*>(&from), &fromLength)
                                      : ::recv(fd, target, room, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result = errno == EAGAIN ? static_cast<uint32_t>(Platform::ERROR_TIMEOUT) : DatagramError(errno);
            if (IsPeerGone(result)) {
                if (IsPassive())
                    m_connected = false;
                result = 0;
            }
            break;
        }
        if (IsPassive()) {
            m_sender = from;
            m_senderLength = fromLength;
            m_connected = n >= 1;
        }
        if (direct) {
            got = static_cast<int>(n);
        } else {
            whole.resize(static_cast<size_t>(n));
            const size_t handed = std::min<size_t>(size, whole.size());
            std::memcpy(out, whole.data(), handed);
            got = static_cast<int>(handed);
            m_held = std::move(whole);
            m_heldPos = handed;
            if (HeldBytes() == 0) {
                m_held.clear();
                m_heldPos = 0;
            }
        }
        break;
    }
    PauseWhileAborting();
    return result;
}

uint32_t CUdpSocket::Send(const void* buffer, uint32_t size, int& sent)
{
    sent = 0;
    uint32_t result = 0;
    // The passive side answers only a sender it has heard.
    if (m_connected) {
        const int fd = m_socket.load();
        result = Wait(fd, true, writeTimeout);
        while (result == 0) {
            const ssize_t n = IsPassive() ? ::sendto(fd, buffer, size, MSG_NOSIGNAL,
                                                     reinterpret_cast<const sockaddr*>(&m_sender), m_senderLength)
                                          : ::send(fd, buffer, size, MSG_NOSIGNAL);
            if (n >= 0) {
                sent = static_cast<int>(n);
                break;
            }
            if (errno == EINTR)
                continue;
            result = errno == EAGAIN ? static_cast<uint32_t>(Platform::ERROR_TIMEOUT) : DatagramError(errno);
            if (IsPeerGone(result)) {
                if (IsPassive())
                    m_connected = false;
                result = 0;
            }
        }
    }
    PauseWhileAborting();
    return result;
}

} // namespace StreamIO
