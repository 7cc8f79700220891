// SPDX-License-Identifier: GPL-3.0-or-later
// The parts CTcpSocket and CUdpSocket share: the name, the address lookup,
// waiting with a timeout, and the process-wide socket start-up.
#include "streamio/ip/IpSocket.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamSpec.h"

namespace StreamIO {

namespace {

struct SSocketLibrary {
    std::mutex lock;
    bool started = false;
};

SSocketLibrary& Library()
{
    static SSocketLibrary* library = new SSocketLibrary();
    return *library;
}

uint32_t LookupError(int rc)
{
    switch (rc) {
    case EAI_NONAME:
        return Platform::WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return Platform::WSATRY_AGAIN;
    case EAI_FAIL:
        return Platform::WSANO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return Platform::WSANO_DATA;
#endif
    case EAI_SERVICE:
        return Platform::WSATYPE_NOT_FOUND;
    case EAI_MEMORY:
        return Platform::WSAENOBUFS;
    case EAI_SYSTEM:
        return Platform::WsaErrorFromErrno(errno);
    default:
        return Platform::WSAEINVAL;
    }
}

} // namespace

uint32_t StartSockets()
{
    // BSD sockets need no library start-up; the flag keeps the pairing of
    // start-up and clean-up that Shutdown relies on.
    SSocketLibrary& library = Library();
    std::lock_guard<std::mutex> guard(library.lock);
    library.started = true;
    return 0;
}

bool InitializeSocketLock()
{
    Library();
    return true;
}

void CleanupSockets()
{
    SSocketLibrary& library = Library();
    std::lock_guard<std::mutex> guard(library.lock);
    library.started = false;
}

namespace {

std::mutex g_listenLock;
std::string g_listenAddress;

} // namespace

void SetPassiveListenAddress(const std::string& address)
{
    std::lock_guard<std::mutex> guard(g_listenLock);
    g_listenAddress = address;
}

std::string PassiveListenAddress()
{
    std::lock_guard<std::mutex> guard(g_listenLock);
    return g_listenAddress;
}

int STimeval::PollMs(int capMs) const
{
    int ms;
    if (seconds < 0) {
        ms = -1;
    } else {
        const long long total = static_cast<long long>(seconds) * 1000 + microseconds / 1000;
        ms = static_cast<int>(std::min<long long>(total, INT_MAX));
    }
    if (capMs >= 0 && (ms < 0 || ms > capMs))
        ms = capMs;
    return ms;
}

CIpSocket::CIpSocket(const std::u16string& name)
{
    SplitHostPort(name, m_host, m_port);
}

CIpSocket::CIpSocket(std::string host, std::string port) : m_host(std::move(host)), m_port(std::move(port)) {}

CIpSocket::~CIpSocket() = default;

uint32_t CIpSocket::ForEachAddress(int type, int protocol, const std::function<uint32_t(const addrinfo&)>& use)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = type;
    hints.ai_protocol = protocol;
    const char* host = nullptr;
    const std::string listenAddress = PassiveListenAddress();
    if (IsPassive()) {
        hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
        if (!listenAddress.empty())
            host = listenAddress.c_str();
    } else {
        host = m_host.c_str();
        if (IsNumericHost(m_host))
            hints.ai_flags = AI_NUMERICHOST;
    }
    addrinfo* results = nullptr;
    const int rc = ::getaddrinfo(host, m_port.empty() ? nullptr : m_port.c_str(), &hints, &results);
    if (rc != 0)
        return LookupError(rc);
    uint32_t error = Platform::WSAHOST_NOT_FOUND;
    for (addrinfo* a = results; a != nullptr; a = a->ai_next) {
        error = use(*a);
        if (error == 0)
            break;
    }
    ::freeaddrinfo(results);
    return error;
}

uint32_t CIpSocket::Wait(int fd, bool forWrite, const STimeval& timeout, int capMs)
{
    if (fd < 0)
        return Platform::WSAENOTSOCK;
    const int ms = timeout.PollMs(capMs);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    for (;;) {
        int wait = ms;
        if (ms >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            wait = static_cast<int>(std::max<long long>(0, left.count()));
        }
        pollfd p{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        const int rc = ::poll(&p, 1, wait);
        if (rc > 0) {
            if ((p.revents & POLLNVAL) != 0)
                return Platform::WSAENOTSOCK;
            // Readiness, an error or a hang-up: the transfer call tells which.
            return 0;
        }
        if (rc == 0)
            return Platform::ERROR_TIMEOUT;
        if (errno != EINTR)
            return Platform::WsaErrorFromErrno(errno);
    }
}

void CIpSocket::PauseWhileAborting() const
{
    if (abort.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void CIpSocket::CloseHandle(std::atomic<int>& fd)
{
    const int old = fd.exchange(-1);
    if (old >= 0)
        ::close(old);
}

} // namespace StreamIO
