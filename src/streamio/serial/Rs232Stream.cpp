// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/serial/Rs232Stream.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/serial/Rs232Line.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamSpec.h"

namespace StreamIO {

namespace {

using Clock = std::chrono::steady_clock;

// Texts of DescribeOpenError.
enum : uint32_t {
    IDS_SERIAL_IN_USE = 49000,
    IDS_SERIAL_NOT_FOUND = 49001,
    IDS_SERIAL_ACCESS_DENIED = 49002,
    IDS_SERIAL_NOT_A_PORT = 49003,
    IDS_SERIAL_OPEN_FAILED = 49004,
};

constexpr uint32_t kWriteMsPerByte = 50;

// A transfer error: a vanished device or a hung-up line says so.
uint32_t TransferError(int err)
{
    if (err == EIO || err == ENXIO || err == ENODEV)
        return Platform::ERROR_DEVICE_NOT_CONNECTED;
    return Platform::ErrorFromErrno(err);
}

SerialSettings ZeroRecord()
{
    SerialSettings r;
    r.magic = 0;
    r.baudRate = 0;
    r.dataBits = 0;
    r.parity = 0;
    r.stopBits = 0;
    r.handshake = 0;
    r.receiveQueue = 0;
    r.transmitQueue = 0;
    r.readTimeout = 0;
    r.writeTimeout = 0;
    return r;
}

} // namespace

// The end of a transfer's total timeout; none means no limit.
struct CRs232Stream::SDeadline {
    bool limited = false;
    Clock::time_point at;

    static SDeadline After(bool limited, uint64_t ms)
    {
        SDeadline d;
        d.limited = limited;
        if (limited)
            d.at = Clock::now() + std::chrono::milliseconds(ms);
        return d;
    }
};

CRs232Stream::CRs232Stream() = default;

CRs232Stream::CRs232Stream(uint32_t port, uint32_t flags, const SerialSettings* settings)
    : CRs232Stream()
{
    // Delegating: from here on the destructor runs if we throw, so a port
    // that opened but could not be set up is released.
    if (!OpenPort(port, flags, settings))
        ThrowError(m_error != 0 ? m_error : Platform::ERROR_GEN_FAILURE);
}

CRs232Stream::~CRs232Stream()
{
    ReleasePort();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool CRs232Stream::OpenPort(uint32_t port, uint32_t flags, const SerialSettings* settings)
{
    m_error = 0;
    if (settings != nullptr && settings->magic != SERIAL_SETTINGS_MAGIC) {
        SetError(Platform::ERROR_INVALID_PARAMETER);
        return false;
    }
    // Always open-existing: a port is never created.
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    m_name = SerialDeviceName(port);
    if (!OpenDevice(port, flags & ~SF_CREATION_MASK))
        return false;
    if (settings != nullptr) {
        m_settings = *settings;
        const SerialSettings record = m_settings;
        SetSettings(record);
    } else {
        SerialSettings current;
        GetSettings(current);
        m_settings = current;
    }
    return m_error == 0;
}

bool CRs232Stream::Open(const std::u16string& name, uint32_t flags)
{
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    const std::u16string copy = name;   // `name` may be our own m_name
    m_name = copy;
    uint32_t port = 0;
    if (!ParseSerialDeviceName(copy, port)) {
        m_flags = flags;
        ThrowError(Platform::ERROR_INVALID_NAME);
    }
    return OpenDevice(port, flags);
}

bool CRs232Stream::OpenDevice(uint32_t port, uint32_t flags)
{
    m_flags = flags;
    m_error = 0;
    const std::string path = port <= INT_MAX ? Platform::ComPortDevicePath(static_cast<int>(port)) : std::string();
    if (path.empty())
        ThrowError(Platform::ERROR_FILE_NOT_FOUND);
    const uint32_t wakeError = PrepareWake();
    if (wakeError != 0)
        ThrowError(wakeError);

    // Non-blocking for good: every wait is a poll with a deadline.  An open
    // refused because another holds the port exclusively answers EBUSY.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A folder where the device should be is no serial port (not a
        // matter of the dialout group).
        if (errno == EISDIR)
            ThrowError(Platform::ERROR_OPEN_FAILED);
        ThrowError(errno == EBUSY ? Platform::ERROR_SHARING_VIOLATION : Platform::ErrorFromErrno(errno));
    }

    bool exclusive = false;
    auto fail = [&](uint32_t error) {
        if (exclusive)
            Rs232Line::SetExclusive(fd, false);
        ::close(fd);
        ThrowError(error);
    };
    if (!::isatty(fd))
        fail(Platform::ERROR_OPEN_FAILED);
    // Two programs (or two streams of this one) never share a port: the
    // lock binds every open that asks for it, TIOCEXCL every other open
    // except by a privileged user.
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        fail(errno == EWOULDBLOCK ? Platform::ERROR_SHARING_VIOLATION : Platform::ErrorFromErrno(errno));
    uint32_t error = Rs232Line::SetExclusive(fd, true);
    if (error != 0)
        fail(error);
    exclusive = true;

    Rs232Line::SLineState state;
    error = Rs232Line::GetLineState(fd, state);
    if (error == 0) {
        Rs232Line::MakeRaw(state);
        error = Rs232Line::SetLineState(fd, state);
    }
    if (error != 0)
        fail(error);
    AttachDescriptor(fd);
    return true;
}

bool CRs232Stream::Reopen()
{
    if (m_name.empty())
        return false;
    const std::u16string name = m_name;
    if (!Open(name, m_flags))
        return false;
    const SerialSettings record = m_settings;
    SetSettings(record);
    return m_error == 0;
}

void CRs232Stream::Close()
{
    m_error = 0;
    RequireOpen();
    // The exclusive mark belongs to the terminal, not to our descriptor:
    // it would outlive the close while anyone else keeps the device open.
    Rs232Line::SetExclusive(Descriptor(), false);
    const uint32_t error = CloseDescriptor(false);
    if (error != 0)
        ThrowError(error);
}

void CRs232Stream::ReleasePort()
{
    if (!IsOpen())
        return;
    Rs232Line::SetExclusive(Descriptor(), false);
    CloseDescriptor(false);
}

bool CRs232Stream::GetSettings(SerialSettings& out)
{
    m_error = 0;
    uint32_t error = IsOpen() ? 0u : static_cast<uint32_t>(Platform::ERROR_INVALID_HANDLE);
    Rs232Line::SLineState state;
    if (error == 0)
        error = Rs232Line::GetLineState(Descriptor(), state);
    if (error != 0) {
        out = ZeroRecord();
        SetError(error);
        return false;
    }
    int readMs = 0;
    int writeMs = 0;
    GetTimeouts(readMs, writeMs);

    SerialSettings record;
    record.magic = SERIAL_SETTINGS_MAGIC;
    Rs232Line::DecodeLine(state, record);
    if (record.stopBits == STOPBITS_TWO && m_oneAndHalfStop)
        record.stopBits = STOPBITS_ONE_AND_HALF;
    if (m_dsrHandshake)
        record.handshake |= HANDSHAKE_DSRDTR;
    record.receiveQueue = m_receiveQueue;
    record.transmitQueue = m_transmitQueue;
    record.readTimeout = readMs;
    record.writeTimeout = writeMs;
    out = record;
    return true;
}

bool CRs232Stream::SetSettings(const SerialSettings& in)
{
    m_error = 0;
    const SerialSettings record = in;   // `in` may be our own record
    if (!IsOpen()) {
        SetError(Platform::ERROR_INVALID_HANDLE);
        return false;
    }
    const int fd = Descriptor();
    Rs232Line::SLineState state;
    uint32_t error = Rs232Line::GetLineState(fd, state);
    if (error == 0)
        error = Rs232Line::EncodeLine(record, state);
    if (error == 0)
        error = Rs232Line::SetLineState(fd, state);
    // DTR is raised in every handshake mode (the DSR/DTR handshake has no
    // counterpart here); RTS stays up unless the record turns it off.
    if (error == 0)
        error = Rs232Line::SetModemLines(fd, true, (record.handshake & HANDSHAKE_RTS_OFF) == 0);
    if (error != 0) {
        SetError(error);
        return false;
    }
    m_receiveQueue = record.receiveQueue;
    m_transmitQueue = record.transmitQueue;
    m_dsrHandshake = (record.handshake & HANDSHAKE_DSRDTR) != 0;
    m_oneAndHalfStop = record.stopBits == STOPBITS_ONE_AND_HALF;
    m_settings = record;
    if (record.readTimeout != 0 || record.writeTimeout != 0) {
        if (!SetTimeouts(record.readTimeout, record.writeTimeout))
            return false;
    }
    return m_error == 0;
}

void CRs232Stream::PurgeInput()
{
    m_error = 0;
    if ((m_flags & SF_READ) == 0)
        return;
    RequireOpen();
    const uint32_t error = Rs232Line::FlushQueues(Descriptor(), Rs232Line::EQueue::Input);
    if (error != 0)
        ThrowError(error);
}

uint32_t CRs232Stream::GetInputCount()
{
    m_error = 0;
    if ((m_flags & SF_READ) == 0)
        return 0;
    RequireOpen();
    uint32_t count = 0;
    const uint32_t error = Rs232Line::InputCount(Descriptor(), count);
    if (error != 0)
        ThrowError(error);
    return count;
}

void CRs232Stream::Flush()
{
    m_error = 0;
    RequireOpen();
    if ((m_flags & SF_WRITE) == 0)
        return;
    const uint32_t error = Rs232Line::DrainOutput(Descriptor());
    if (error != 0)
        ThrowError(error);
}

uint32_t CRs232Stream::GetBytesPerSecond()
{
    // Start bit and 8 data bits plus one stop bit make the 10 bits of a
    // character; parity and an extra stop bit add one each.
    uint32_t bits = 10;
    if (m_settings.parity != PARITY_NONE)
        ++bits;
    if (m_settings.stopBits != STOPBITS_ONE)
        ++bits;
    const uint64_t perSecond = static_cast<uint64_t>(m_settings.baudRate / bits) * m_settings.dataBits / 8;
    return static_cast<uint32_t>(std::min<uint64_t>(perSecond, UINT32_MAX));
}

bool CRs232Stream::GetTimeouts(int& readMs, int& writeMs)
{
    m_error = 0;
    RequireOpen();
    readMs = m_readConstant == 0 ? TIMEOUT_INFINITE : static_cast<int>(m_readConstant);
    writeMs = m_writeMultiplier == 0 && m_writeConstant == 0 ? TIMEOUT_INFINITE : static_cast<int>(m_writeConstant);
    return true;
}

bool CRs232Stream::SetTimeouts(int readMs, int writeMs)
{
    m_error = 0;
    RequireOpen();
    m_readConstant = readMs == TIMEOUT_INFINITE ? 0 : static_cast<uint32_t>(readMs);
    if (writeMs == TIMEOUT_INFINITE) {
        m_writeMultiplier = 0;
        m_writeConstant = 0;
    } else {
        m_writeMultiplier = kWriteMsPerByte;
        m_writeConstant = static_cast<uint32_t>(writeMs);
    }
    return true;
}

bool CRs232Stream::Cancel()
{
    // Called from another thread while this one may be inside Read or
    // Write: m_error belongs to that thread and is left alone.
    if (!IsOpen())
        Platform::ThrowFileException(Platform::ERROR_INVALID_HANDLE, m_name);
    const uint32_t error = Rs232Line::FlushQueues(Descriptor(), Rs232Line::EQueue::Both);
    const uint64_t one = 1;
    if (::write(m_wakeFd, &one, sizeof one) < 0) {
        // The counter is already signalled (or cannot overflow in practice).
    }
    if (error != 0)
        Platform::ThrowFileException(error, m_name);
    return true;
}

uint32_t CRs232Stream::PrepareWake()
{
    if (m_wakeFd >= 0)
        return 0;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return m_wakeFd < 0 ? Platform::ErrorFromErrno(errno) : 0;
}

void CRs232Stream::ResetWake()
{
    // A Cancel aimed at an earlier transfer must not end this one.
    uint64_t value = 0;
    if (::read(m_wakeFd, &value, sizeof value) < 0) {
        // Not signalled: nothing to reset.
    }
}

CRs232Stream::EWait CRs232Stream::WaitPort(short events, const SDeadline& deadline, bool pause)
{
    for (;;) {
        int timeout = -1;
        if (deadline.limited) {
            const auto left = deadline.at - Clock::now();
            if (left <= Clock::duration::zero())
                return EWait::TimedOut;
            // Rounded up, so that a wake-up never comes before the deadline.
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            timeout = static_cast<int>(std::min<int64_t>(ms, INT_MAX));
        }
        if (pause)
            timeout = timeout < 0 ? 10 : std::min(timeout, 10);
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {Descriptor(), events, 0}};
        const int rc = ::poll(fds, pause ? 1 : 2, timeout);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            ThrowError(Platform::ErrorFromErrno(errno));
        }
        if ((fds[0].revents & POLLIN) != 0)
            return EWait::Cancelled;
        if (pause || rc > 0)
            return EWait::Ready;   // a hang-up or error shows in the next transfer call
    }
}

template <class Call, class Failed>
CRs232Stream::EWait CRs232Stream::TransferLoop(short events, const SDeadline& deadline, uint32_t count,
                                               uint32_t& done, Call call, Failed failed)
{
    bool pause = false;
    while (done < count) {
        const ssize_t n = call(done);
        const int err = errno;
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            pause = false;
            continue;
        }
        if (n < 0 && err == EINTR)
            continue;
        if (failed(n, err))
            break;
        const EWait wait = WaitPort(events, deadline, pause);
        if (wait != EWait::Ready)
            return wait;
        // A port that claims to be ready but has nothing gets a short pause
        // before it is polled again: no busy loop.
        pause = !pause;
    }
    return EWait::Ready;
}

uint32_t CRs232Stream::Read(void* buffer, uint32_t count)
{
    if (!BeginTransfer(buffer, count, SF_READ, Platform::ERROR_READ_FAULT))
        return 0;
    ResetWake();

    // Interval and multiplier are 0: the constant alone is the total read
    // timeout, and 0 means that the read waits for every byte.
    const SDeadline deadline = SDeadline::After(m_readConstant != 0, m_readConstant);
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t got = 0;
    const EWait end = TransferLoop(
        POLLIN, deadline, count, got,
        [&](uint32_t done) { return ::read(Descriptor(), out + done, count - done); },
        [&](ssize_t n, int err) {
            if (n != 0 && err == EAGAIN)
                return false;
            // The line was hung up or the device vanished: hand over what
            // came first; the next read reports the failure.
            if (got > 0)
                return true;
            ThrowError(n == 0 ? Platform::ERROR_DEVICE_NOT_CONNECTED : TransferError(err));
        });
    if (end == EWait::Cancelled)
        SetError(Platform::ERROR_OPERATION_ABORTED);
    else if (got == 0)
        SetError(Platform::ERROR_HANDLE_EOF);
    return got;
}

uint32_t CRs232Stream::Write(const void* buffer, uint32_t count)
{
    if (!BeginTransfer(buffer, count, SF_WRITE, Platform::ERROR_WRITE_FAULT))
        return 0;
    ResetWake();

    const bool limited = m_writeMultiplier != 0 || m_writeConstant != 0;
    const SDeadline deadline =
        SDeadline::After(limited, static_cast<uint64_t>(m_writeMultiplier) * count + m_writeConstant);
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    uint32_t sent = 0;
    const EWait end = TransferLoop(
        POLLOUT, deadline, count, sent,
        [&](uint32_t done) { return ::write(Descriptor(), in + done, count - done); },
        [&](ssize_t n, int err) {
            if (n < 0 && err != EAGAIN)
                ThrowError(TransferError(err));
            return false;
        });
    if (end == EWait::Cancelled)
        SetError(Platform::ERROR_OPERATION_ABORTED);
    else if (end == EWait::TimedOut)
        SetError(Platform::ERROR_TIMEOUT);
    return sent;
}

bool CRs232Stream::IsSeekable()
{
    return CIoStream::IsSeekable();
}

uint32_t CRs232Stream::GetLength()
{
    return CIoStream::GetLength();
}

uint32_t CRs232Stream::GetPosition()
{
    return CIoStream::GetPosition();
}

uint32_t CRs232Stream::Seek(long offset, int origin)
{
    return CIoStream::Seek(offset, origin);
}

uint32_t CRs232Stream::SetPosition(uint32_t pos)
{
    return CIoStream::SetPosition(pos);
}

void CRs232Stream::Truncate()
{
    CIoStream::Truncate();
}

std::u16string CRs232Stream::DescribeOpenError(uint32_t port, uint32_t error)
{
    const std::string path = port >= 1 && port <= INT_MAX ? Platform::ComPortDevicePath(static_cast<int>(port)) : std::string();
    switch (error) {
    case Platform::ERROR_SHARING_VIOLATION:
        return Platform::FormatU(Platform::LoadString(IDS_SERIAL_IN_USE).c_str(), port);
    case Platform::ERROR_FILE_NOT_FOUND:
    case Platform::ERROR_PATH_NOT_FOUND:
        return Platform::FormatU(Platform::LoadString(IDS_SERIAL_NOT_FOUND).c_str(), port);
    case Platform::ERROR_ACCESS_DENIED:
        return Platform::FormatU(Platform::LoadString(IDS_SERIAL_ACCESS_DENIED).c_str(), port, path.c_str());
    case Platform::ERROR_OPEN_FAILED:
        return Platform::FormatU(Platform::LoadString(IDS_SERIAL_NOT_A_PORT).c_str(), port, path.c_str());
    default:
        return Platform::FormatU(Platform::LoadString(IDS_SERIAL_OPEN_FAILED).c_str(), port,
                                 Platform::DescribeError(error));
    }
}

// Without a record the factory's serial streams take over the port's
// current settings.
std::unique_ptr<CIoStream> CreateSerialStream(uint32_t port, uint32_t flags, const SerialSettings* settings)
{
    return std::make_unique<CRs232Stream>(port, flags, settings);
}

} // namespace StreamIO
