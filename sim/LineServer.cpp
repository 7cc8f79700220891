// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Sim {

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

enum class EWrite { Ok, Stopped, Failed };

// Waits until `until` unless the stop descriptor becomes readable first.
bool SleepUntil(Clock::time_point until, int stopFd)
{
    for (;;) {
        const auto now = Clock::now();
        if (now >= until)
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
        pollfd p{stopFd, POLLIN, 0};
        const int rc = poll(&p, stopFd >= 0 ? 1 : 0, static_cast<int>(std::min<int64_t>(left, 1000)));
        if (rc > 0)
            return false;
    }
}

class CLineWriter {
public:
    CLineWriter(int fd, int stopFd, const SLineOptions& options)
        : m_fd(fd), m_stopFd(stopFd), m_stallMs(options.stallMs),
          m_bytesPerSecond(options.baud / 10.0)
    {
        struct stat st{};
        m_socket = fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
    }

    EWrite Write(const uint8_t* data, size_t size)
    {
        if (m_bytesPerSecond <= 0)
            return WriteNow(data, size);
        // The line is busy until the previous answer has gone out; each chunk
        // is handed over when its last byte would have left the instrument.
        const auto now = Clock::now();
        if (m_lineFree < now)
            m_lineFree = now;
        const auto start = m_lineFree;
        const size_t chunk = std::max<size_t>(1, static_cast<size_t>(m_bytesPerSecond / 100));
        for (size_t done = 0; done < size;) {
            const size_t n = std::min(chunk, size - done);
            const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>((done + n) / m_bytesPerSecond));
            if (!SleepUntil(due, m_stopFd))
                return EWrite::Stopped;
            const EWrite w = WriteNow(data + done, n);
            if (w != EWrite::Ok)
                return w;
            done += n;
        }
        m_lineFree = start + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(size / m_bytesPerSecond));
        return EWrite::Ok;
    }

private:
    EWrite WriteNow(const uint8_t* data, size_t size)
    {
        int64_t lastProgress = NowMs();
        while (size > 0) {
            const ssize_t n = m_socket ? send(m_fd, data, size, MSG_NOSIGNAL) : write(m_fd, data, size);
            if (n > 0) {
                data += n;
                size -= static_cast<size_t>(n);
                lastProgress = NowMs();
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return EWrite::Failed;
            const int64_t left = lastProgress + m_stallMs - NowMs();
            if (left <= 0)
                return EWrite::Failed;
            pollfd p[2] = {{m_fd, POLLOUT, 0}, {m_stopFd, POLLIN, 0}};
            const int rc = poll(p, m_stopFd >= 0 ? 2 : 1, static_cast<int>(left));
            if (rc > 0 && m_stopFd >= 0 && (p[1].revents & POLLIN))
                return EWrite::Stopped;
            if (rc > 0 && (p[0].revents & (POLLERR | POLLNVAL)))
                return EWrite::Failed;
        }
        return EWrite::Ok;
    }

    int m_fd;
    int m_stopFd;
    int m_stallMs;
    double m_bytesPerSecond;
    bool m_socket = false;
    Clock::time_point m_lineFree{};
};

// Waits until the program has read what is queued for it on `drainFd`.  The
// queue fills a little after the write (the terminal layer moves the bytes
// on its own time), so it must stay empty for a while to count as read.
void Drain(int drainFd, int stopFd, int maxMs)
{
    const int64_t end = NowMs() + maxMs;
    int64_t emptySince = -1;
    while (NowMs() < end) {
        int queued = 0;
        if (ioctl(drainFd, FIONREAD, &queued) != 0)
            break;
        if (queued > 0)
            emptySince = -1;
        else if (emptySince < 0)
            emptySince = NowMs();
        else if (NowMs() - emptySince >= 50)
            break;
        if (!SleepUntil(Clock::now() + std::chrono::milliseconds(5), stopFd))
            break;
    }
}

} // namespace

const char* DescribeEnd(EEndReason reason)
{
    switch (reason) {
    case EEndReason::Stopped:
        return "stopped";
    case EEndReason::HungUp:
        return "hung up (fault)";
    case EEndReason::PeerClosed:
        return "closed by the other side";
    case EEndReason::Failed:
        return "line failure";
    }
    return "?";
}

EEndReason ServeLine(int fd, CInstrument& instrument, const SLineOptions& options, int stopFd)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return EEndReason::Failed;

    CFrameReader reader;
    CLineWriter writer(fd, stopFd, options);
    uint8_t buffer[4096];
    for (;;) {
        const int64_t deadline = reader.Deadline();
        int timeout = -1;
        if (deadline >= 0)
            timeout = static_cast<int>(std::max<int64_t>(0, deadline - NowMs()) + 1);
        pollfd p[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int rc = poll(p, stopFd >= 0 ? 2 : 1, timeout);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            return EEndReason::Failed;
        }
        if (stopFd >= 0 && (p[1].revents & POLLIN))
            return EEndReason::Stopped;
        reader.Expire(NowMs());
        if (rc == 0)
            continue;
        if (p[0].revents & POLLNVAL)
            return EEndReason::Failed;
        if (!(p[0].revents & POLLIN)) {
            if (p[0].revents & (POLLHUP | POLLERR))
                return EEndReason::PeerClosed;
            continue;
        }
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return EEndReason::PeerClosed;
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            // A pseudo-terminal master reads EIO once no slave is open.
            return errno == EIO || errno == ECONNRESET ? EEndReason::PeerClosed
                                                       : EEndReason::Failed;
        }
        for (ssize_t i = 0; i < n; ++i) {
            const SRequest request = reader.Feed(buffer[i], NowMs());
            if (request.kind == SRequest::None)
                continue;
            const SReply reply = instrument.Handle(request);
            if (options.log && !reply.note.empty())
                options.log(reply.note);
            const size_t size = std::min(reply.bytes.size(), reply.hangUpAfter);
            EWrite w = EWrite::Ok;
            if (reply.trickleMs > 0) {
                const size_t first = std::min(std::max<size_t>(reply.trickleFrom, 1), size);
                w = writer.Write(reply.bytes.data(), first);
                for (size_t k = first; k < size && w == EWrite::Ok; ++k) {
                    if (!SleepUntil(Clock::now() + std::chrono::milliseconds(reply.trickleMs), stopFd))
                        w = EWrite::Stopped;
                    else
                        w = writer.Write(reply.bytes.data() + k, 1);
                }
            } else {
                w = writer.Write(reply.bytes.data(), size);
            }
            if (w == EWrite::Stopped)
                return EEndReason::Stopped;
            if (w == EWrite::Failed) {
                if (options.log)
                    options.log("answer abandoned: the line took no data");
                // The other side may be gone or may have stopped reading; keep
                // listening so a new request still gets an answer.
            }
            if (reply.hangUpAfter != SIZE_MAX) {
                if (options.drainFd >= 0)
                    Drain(options.drainFd, stopFd, options.stallMs);
                return EEndReason::HungUp;
            }
        }
    }
}

} // namespace Sim
