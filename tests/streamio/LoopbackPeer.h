// SPDX-License-Identifier: GPL-3.0-or-later
// The far side of an IP stream in the tests: plain sockets on loopback.
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace LoopbackPeer {

inline sockaddr_in Address(const char* ip, uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip, &a.sin_addr);
    return a;
}

inline uint16_t PortOf(int fd)
{
    sockaddr_in a{};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

// A socket of `type` bound to `ip`, port 0 (a free one); TCP listens.
inline int Bound(int type, const char* ip = "127.0.0.1", uint16_t port = 0)
{
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in a = Address(ip, port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || (type == SOCK_STREAM && listen(fd, 4) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

// A loopback port where nobody listens (bound once, then released).
inline uint16_t ClosedPort()
{
    const int fd = Bound(SOCK_STREAM);
    const uint16_t port = PortOf(fd);
    close(fd);
    return port;
}

inline bool Readable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) == 1;
}

// Accepts one client within `ms`; -1 when none came.
inline int AcceptWithin(int listener, int ms)
{
    if (!Readable(listener, ms))
        return -1;
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

inline int ConnectTo(const char* ip, uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = Address(ip, port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, const std::string& bytes)
{
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// Up to `count` bytes within `ms`.
inline std::string ReceiveUpTo(int fd, size_t count, int ms)
{
    std::string out;
    while (out.size() < count && Readable(fd, ms)) {
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, count - out.size()), 0);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

// Closes with a reset instead of an orderly close.
inline void Reset(int fd)
{
    linger l{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close(fd);
}

} // namespace LoopbackPeer
