// SPDX-License-Identifier: GPL-3.0-or-later
#include "RawLine.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include "sim/Checksums.h"

namespace SimTest {

namespace {

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CRawLine::~CRawLine()
{
    Close();
}

void CRawLine::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

bool CRawLine::OpenSerial(const std::string& path)
{
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    termios tio{};
    if (tcgetattr(m_fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    return true;
}

bool CRawLine::ConnectTcp(uint16_t port, const char* address)
{
    Close();
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &addr.sin_addr) != 1) {
        Close();
        return false;
    }
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    return true;
}

bool CRawLine::Write(const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        const ssize_t m = n < 0 && errno == ENOTSOCK ? write(m_fd, bytes.data() + done, bytes.size() - done) : n;
        if (m > 0) {
            done += static_cast<size_t>(m);
            continue;
        }
        if (m < 0 && errno != EAGAIN)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        if (poll(&p, 1, 1000) <= 0)
            return false;
    }
    return true;
}

std::vector<uint8_t> CRawLine::Read(size_t n, int timeoutMs)
{
    std::vector<uint8_t> out;
    out.reserve(n);
    const int64_t end = NowMs() + timeoutMs;
    while (out.size() < n) {
        const int64_t left = end - NowMs();
        if (left <= 0)
            break;
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        uint8_t buf[65536];
        const ssize_t got = read(m_fd, buf, std::min(sizeof buf, n - out.size()));
        if (got > 0)
            out.insert(out.end(), buf, buf + got);
        else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
            m_endError = got == 0 ? 0 : errno;
            break;
        }
    }
    return out;
}

bool CRawLine::WaitForHangUp(int timeoutMs, int* error)
{
    const int64_t end = NowMs() + timeoutMs;
    for (;;) {
        const int64_t left = end - NowMs();
        if (left <= 0)
            return false;
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        uint8_t buf[4096];
        const ssize_t got = read(m_fd, buf, sizeof buf);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            // End of line, or EIO on a slave whose master is gone, or a reset.
            if (got < 0)
                m_endError = errno;
            if (error != nullptr)
                *error = m_endError;
            return true;
        }
    }
}

SBlockAnswer CRawLine::ReadAnswer(int timeoutMs)
{
    SBlockAnswer a;
    const std::vector<uint8_t> c = Read(1, timeoutMs);
    if (c.empty())
        return a;
    a.count = c[0];
    if (a.count == 0 || a.count >= 240) {
        a.complete = true;
        return a;
    }
    if (a.count < 239) {
        a.data = Read(static_cast<size_t>(a.count), timeoutMs);
        a.complete = a.data.size() == static_cast<size_t>(a.count);
        return a;
    }
    const std::vector<uint8_t> head = Read(4, timeoutMs);
    if (head.size() < 4)
        return a;
    a.checksumKind = head[0];
    const size_t length = head[1] | (head[2] << 8) | (static_cast<size_t>(head[3]) << 16);
    const size_t sumSize = (head[0] == 1 || head[0] == 2 || head[0] == 4) ? head[0] : 0;
    std::vector<uint8_t> rest = Read(length + sumSize, timeoutMs);
    if (rest.size() < length + sumSize) {
        a.data = std::move(rest);
        return a;
    }
    a.complete = true;
    for (size_t i = 0; i < sumSize; ++i)
        a.checksum |= static_cast<uint32_t>(rest[length + i]) << (8 * i);
    rest.resize(length);
    uint32_t expected = 0;
    if (sumSize == 1)
        expected = Sim::Crc8Maxim(rest.data(), rest.size());
    else if (sumSize == 2)
        expected = Sim::Crc16Arc(rest.data(), rest.size());
    else if (sumSize == 4)
        expected = Sim::Crc32(rest.data(), rest.size());
    a.checksumOk = expected == a.checksum;
    a.data = std::move(rest);
    return a;
}

SBlockAnswer CRawLine::Block(uint8_t block, const std::vector<uint8_t>& data, int timeoutMs)
{
    std::vector<uint8_t> frame{static_cast<uint8_t>(0xC0 + data.size()), block};
    frame.insert(frame.end(), data.begin(), data.end());
    if (!Write(frame))
        return {};
    return ReadAnswer(timeoutMs);
}

std::string CRawLine::Text(const std::string& command, bool echo, int timeoutMs)
{
    if (!Write({0x10}) || Read(1, timeoutMs).size() != 1)
        return {};
    std::vector<uint8_t> line(command.begin(), command.end());
    line.push_back(0x0D);
    if (!Write(line))
        return {};
    std::string answer;
    const uint8_t last = echo ? '\n' : '\r';
    for (;;) {
        const std::vector<uint8_t> b = Read(1, timeoutMs);
        if (b.empty())
            return answer;
        answer.push_back(static_cast<char>(b[0]));
        if (b[0] == last)
            return answer;
    }
}

} // namespace SimTest
