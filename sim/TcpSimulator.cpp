// SPDX-License-Identifier: GPL-3.0-or-later
#include "TcpSimulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Sim {

namespace {

// The hang-up fault on TCP: the connection ends with a reset, as when the
// instrument is switched off, after the bytes already sent were taken by the
// other side (up to `maxMs`), as on a real line.
void ResetConnection(int fd, int maxMs, int stopFd)
{
    for (int waited = 0; waited < maxMs; waited += 5) {
        int queued = 0;
        if (ioctl(fd, SIOCOUTQ, &queued) != 0 || queued == 0)
            break;
        pollfd p{stopFd, POLLIN, 0};
        if (poll(&p, stopFd >= 0 ? 1 : 0, 5) > 0)
            break;
    }
    const linger abortive{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    close(fd);
}

} // namespace

CTcpSimulator::CTcpSimulator(std::shared_ptr<CInstrument> instrument, SLineOptions options)
    : m_instrument(std::move(instrument)), m_options(std::move(options))
{
}

CTcpSimulator::~CTcpSimulator()
{
    Stop();
}

bool CTcpSimulator::Start(const std::string& address, uint16_t port, std::string& error)
{
    if (m_thread.joinable()) {
        error = "already listening";
        return false;
    }
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_INET;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        family = AF_INET6;
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        length = sizeof *v6;
    } else {
        error = "not a numeric IP address: " + address;
        return false;
    }
    m_listen = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(m_listen, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
        listen(m_listen, 4) != 0) {
        error = "cannot listen on " + address + " port " + std::to_string(port) + ": " +
                std::strerror(errno);
        close(m_listen);
        m_listen = -1;
        return false;
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    m_port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&bound)->sin_port
                                     : reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port);
    if (pipe2(m_stop, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        close(m_listen);
        m_listen = -1;
        return false;
    }
    m_thread = std::thread(&CTcpSimulator::Run, this);
    return true;
}

void CTcpSimulator::Run()
{
    for (;;) {
        pollfd p[2] = {{m_listen, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
        if (poll(p, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (p[1].revents & POLLIN)
            return;
        if (!(p[0].revents & POLLIN))
            continue;
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (m_options.log)
            m_options.log("TCP connection accepted");
        const EEndReason reason = ServeLine(fd, *m_instrument, m_options, m_stop[0]);
        if (reason == EEndReason::HungUp)
            ResetConnection(fd, m_options.stallMs, m_stop[0]);
        else
            close(fd);
        if (m_options.log)
            m_options.log(std::string("TCP connection ended: ") + DescribeEnd(reason));
        if (reason == EEndReason::Stopped)
            return;
    }
}

void CTcpSimulator::Stop()
{
    if (m_thread.joinable()) {
        const char b = 1;
        if (write(m_stop[1], &b, 1) != 1) {
            // The pipe is empty and open, so this cannot fail in practice.
        }
        m_thread.join();
    }
    for (int* fd : {&m_listen, &m_stop[0], &m_stop[1]}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

} // namespace Sim
