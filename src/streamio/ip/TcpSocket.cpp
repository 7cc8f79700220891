// SPDX-License-Identifier: GPL-3.0-or-later
// CTcpSocket: the active side connects (waiting at most kConnectTimeoutMs);
// the passive side listens with a backlog of 1, accepts its one client at
// the first transfer and listens anew when the client leaves.
#include "streamio/ip/IpSocket.h"

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"

namespace StreamIO {

namespace {

void SetOption(int fd, int level, int name)
{
    const int one = 1;
    ::setsockopt(fd, level, name, &one, sizeof one);
}

// A lost connection, after which the passive side listens anew.
bool IsLostConnection(uint32_t code)
{
    return code == Platform::WSAENETRESET || code == Platform::WSAECONNABORTED || code == Platform::WSAECONNRESET ||
           code == Platform::WSAENOTCONN || code == Platform::WSAETIMEDOUT;
}

// connect() on a non-blocking socket, waiting for the answer.
uint32_t ConnectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs)
{
    if (::connect(fd, address, length) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR)
        return Platform::WsaErrorFromErrno(errno);
    pollfd p{fd, POLLOUT, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return Platform::WSAETIMEDOUT;
    if (rc < 0)
        return Platform::WsaErrorFromErrno(errno);
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return Platform::WsaErrorFromErrno(errno);
    return Platform::WsaErrorFromErrno(error);
}

} // namespace

CTcpSocket::~CTcpSocket()
{
    Disconnect();
}

uint32_t CTcpSocket::Connect()
{
    if (IsPassive()) {
        return ForEachAddress(SOCK_STREAM, IPPROTO_TCP, [this](const addrinfo& a) -> uint32_t {
            const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
            if (fd < 0)
                return Platform::WsaErrorFromErrno(errno);
            // Listening anew right after a client left must not wait for
            // that connection's TIME_WAIT.
            SetOption(fd, SOL_SOCKET, SO_REUSEADDR);
            if (::bind(fd, a.ai_addr, a.ai_addrlen) != 0 || ::listen(fd, 1) != 0) {
                const uint32_t error = Platform::WsaErrorFromErrno(errno);
                ::close(fd);
                return error;
            }
            m_listen.store(fd);
            return 0;
        });
    }
    return ForEachAddress(SOCK_STREAM, IPPROTO_TCP, [this](const addrinfo& a) -> uint32_t {
        const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
        if (fd < 0)
            return Platform::WsaErrorFromErrno(errno);
        const uint32_t error = ConnectWithin(fd, a.ai_addr, a.ai_addrlen, kConnectTimeoutMs);
        if (error != 0) {
            ::close(fd);
            return error;
        }
        SetOption(fd, SOL_SOCKET, SO_OOBINLINE);
        SetOption(fd, IPPROTO_TCP, TCP_NODELAY);
        m_socket.store(fd);
        m_connected = true;
        return 0;
    });
}

uint32_t CTcpSocket::Disconnect()
{
    uint32_t error = 0;
    const int fd = m_socket.load();
    if (m_connected && fd >= 0) {
        // Also wakes a transfer of another thread that waits on the socket.
        if (::shutdown(fd, SHUT_RDWR) != 0 && errno != ENOTCONN)
            error = Platform::WsaErrorFromErrno(errno);
    }
    m_connected = false;
    CloseHandle(m_socket);
    CloseHandle(m_listen);
    return error;
}

uint32_t CTcpSocket::Accept(const STimeval& timeout, int capMs)
{
    const int listen = m_listen.load();
    if (listen < 0)
        return Platform::WSAENOTCONN;
    const uint32_t waited = Wait(listen, false, timeout, capMs);
    if (waited != 0)
        return waited;
    const int fd = ::accept4(listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return errno == EAGAIN || errno == EINTR ? static_cast<uint32_t>(Platform::ERROR_TIMEOUT)
                                                 : Platform::WsaErrorFromErrno(errno);
    SetOption(fd, SOL_SOCKET, SO_OOBINLINE);
    SetOption(fd, SOL_SOCKET, SO_KEEPALIVE);
    SetOption(fd, IPPROTO_TCP, TCP_NODELAY);
    m_socket.store(fd);
    m_connected = true;
    CloseHandle(m_listen);
    return 0;
}

uint32_t CTcpSocket::Relisten()
{
    Disconnect();
    return Connect();
}

uint32_t CTcpSocket::Receive(void* buffer, uint32_t size, int& got)
{
    got = 0;
    uint32_t result = 0;
    for (;;) {
        if (!m_connected) {
            if (!IsPassive()) {
                result = Platform::WSAENOTCONN;
                break;
            }
            result = Accept(readTimeout, receiveCapMs);
            if (result != 0)
                break;
        }
        const int fd = m_socket.load();
        result = Wait(fd, false, readTimeout, receiveCapMs);
        if (result == Platform::ERROR_TIMEOUT)
            break;
        if (result != 0) {
            if (IsPassive() && IsLostConnection(result))
                result = Relisten();
            break;
        }
        const ssize_t n = ::recv(fd, buffer, size, 0);
        if (n > 0) {
            got = static_cast<int>(n);
            result = 0;
            break;
        }
        if (n == 0) {
            // The other side closed: the passive side waits for the next
            // client, the active side has received nothing.
            result = IsPassive() ? Relisten() : 0;
            break;
        }
        if (errno == EAGAIN || errno == EINTR)
            continue;
        result = Platform::WsaErrorFromErrno(errno);
        if (IsPassive()) {
            result = Relisten();
        } else if (result != Platform::WSAECONNABORTED && result != Platform::WSAECONNRESET) {
            // A reset or abort goes to the stream, which reconnects and
            // restores its timeouts; any other failure reconnects here.
            Disconnect();
            result = Connect();
        }
        break;
    }
    PauseWhileAborting();
    return result;
}

uint32_t CTcpSocket::Send(const void* buffer, uint32_t size, int& sent)
{
    sent = 0;
    uint32_t result = 0;
    for (;;) {
        if (!m_connected) {
            if (!IsPassive()) {
                result = Platform::WSAENOTCONN;
                break;
            }
            result = Accept(writeTimeout, -1);
            if (result != 0)
                break;
        }
        const int fd = m_socket.load();
        result = Wait(fd, true, writeTimeout);
        if (result != 0)
            break;
        const ssize_t n = ::send(fd, buffer, size, MSG_NOSIGNAL);
        if (n >= 0) {
            sent = static_cast<int>(n);
            result = 0;
            break;
        }
        if (errno == EAGAIN || errno == EINTR)
            continue;
        result = Platform::WsaErrorFromErrno(errno);
        if (IsLostConnection(result)) {
            if (IsPassive())
                result = Relisten();
            else if (result != Platform::WSAECONNABORTED && result != Platform::WSAECONNRESET)
                result = 0;   // nothing sent
        }
        break;
    }
    PauseWhileAborting();
    return result;
}

} // namespace StreamIO
