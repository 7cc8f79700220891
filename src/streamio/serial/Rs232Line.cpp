// SPDX-License-Identifier: GPL-3.0-or-later
// Uses the kernel's termios2 (free baud rates through BOTHER).  This file
// must not include <termios.h>: both declare struct termios.
#include "streamio/serial/Rs232Line.h"

#include <asm/termbits.h>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>

#include "platform/ErrorCodes.h"

namespace StreamIO::Rs232Line {

namespace {

static_assert(sizeof(SLineState::cc) == NCCS, "SLineState mirrors struct termios2");

uint32_t LastError()
{
    return Platform::ErrorFromErrno(errno);
}

int Ioctl(int fd, unsigned long request, void* arg)
{
    int rc;
    do {
        rc = ::ioctl(fd, request, arg);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

int IoctlValue(int fd, unsigned long request, long arg)
{
    int rc;
    do {
        rc = ::ioctl(fd, request, arg);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

struct SSpeed {
    uint32_t baud;
    uint32_t code;
};

// The rates the terminal interface names by a code of its own.
constexpr SSpeed kStandardSpeeds[] = {
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
    {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

uint32_t SpeedCode(uint32_t baud)
{
    for (const SSpeed& s : kStandardSpeeds) {
        if (s.baud == baud)
            return s.code;
    }
    return BOTHER;
}

void ToKernel(const SLineState& in, termios2& out)
{
    std::memset(&out, 0, sizeof out);
    out.c_iflag = in.iflag;
    out.c_oflag = in.oflag;
    out.c_cflag = in.cflag;
    out.c_lflag = in.lflag;
    out.c_line = in.line;
    std::memcpy(out.c_cc, in.cc, sizeof in.cc);
    out.c_ispeed = in.ispeed;
    out.c_ospeed = in.ospeed;
}

void FromKernel(const termios2& in, SLineState& out)
{
    out.iflag = in.c_iflag;
    out.oflag = in.c_oflag;
    out.cflag = in.c_cflag;
    out.lflag = in.c_lflag;
    out.line = in.c_line;
    std::memcpy(out.cc, in.c_cc, sizeof out.cc);
    out.ispeed = in.c_ispeed;
    out.ospeed = in.c_ospeed;
}

} // namespace

uint32_t GetLineState(int fd, SLineState& state)
{
    termios2 t {};
    if (Ioctl(fd, TCGETS2, &t) != 0)
        return LastError();
    FromKernel(t, state);
    return 0;
}

uint32_t SetLineState(int fd, const SLineState& state)
{
    termios2 t {};
    ToKernel(state, t);
    if (Ioctl(fd, TCSETS2, &t) != 0)
        return LastError();
    return 0;
}

void MakeRaw(SLineState& state)
{
    state.iflag = 0;
    state.oflag = 0;
    state.lflag = 0;
    state.cflag |= CREAD | CLOCAL;
    // VMIN 1: with nothing there a non-blocking read answers EAGAIN, so a
    // read of 0 bytes can only mean that the line was hung up.
    state.cc[VMIN] = 1;
    state.cc[VTIME] = 0;
    state.cc[VSTART] = 0;
    state.cc[VSTOP] = 0;
}

uint32_t EncodeLine(const SerialSettings& record, SLineState& state)
{
    if (record.baudRate == 0 || record.dataBits < 5 || record.dataBits > 8 || record.parity > PARITY_SPACE)
        return Platform::ERROR_INVALID_PARAMETER;

    SLineState s;
    s.line = state.line;
    // Modem status lines are ignored (a missing carrier must not end the
    // reads), the receiver is on.
    s.cflag = (state.cflag & HUPCL) | CREAD | CLOCAL;

    static constexpr uint32_t kSizes[] = {CS5, CS6, CS7, CS8};
    s.cflag |= kSizes[record.dataBits - 5];

    switch (record.parity) {
    case PARITY_EVEN: s.cflag |= PARENB; break;
    case PARITY_ODD: s.cflag |= PARENB | PARODD; break;
    case PARITY_MARK: s.cflag |= PARENB | CMSPAR | PARODD; break;
    case PARITY_SPACE: s.cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // One and a half stop bits do not exist here; two are the nearest that
    // a receiver expecting one and a half still accepts.
    if (record.stopBits == STOPBITS_ONE_AND_HALF || record.stopBits == STOPBITS_TWO)
        s.cflag |= CSTOPB;
    if ((record.handshake & HANDSHAKE_CTSRTS) != 0)
        s.cflag |= CRTSCTS;

    // The input speed follows the output speed (CIBAUD left 0).
    s.cflag |= SpeedCode(record.baudRate);
    s.ispeed = record.baudRate;
    s.ospeed = record.baudRate;

    if ((record.handshake & HANDSHAKE_XONXOFF) != 0) {
        s.iflag |= IXON | IXOFF;
        s.cc[VSTART] = 0x11;
        s.cc[VSTOP] = 0x13;
    }
    s.cc[VMIN] = 1;
    s.cc[VTIME] = 0;
    state = s;
    return 0;
}

void DecodeLine(const SLineState& state, SerialSettings& record)
{
    record.baudRate = state.ospeed;
    switch (state.cflag & CSIZE) {
    case CS5: record.dataBits = 5; break;
    case CS6: record.dataBits = 6; break;
    case CS7: record.dataBits = 7; break;
    default: record.dataBits = 8; break;
    }
    if ((state.cflag & PARENB) == 0)
        record.parity = PARITY_NONE;
    else if ((state.cflag & CMSPAR) != 0)
        record.parity = (state.cflag & PARODD) != 0 ? PARITY_MARK : PARITY_SPACE;
    else
        record.parity = (state.cflag & PARODD) != 0 ? PARITY_ODD : PARITY_EVEN;
    record.stopBits = (state.cflag & CSTOPB) != 0 ? STOPBITS_TWO : STOPBITS_ONE;
    uint8_t handshake = 0;
    if ((state.iflag & (IXON | IXOFF)) != 0)
        handshake |= HANDSHAKE_XONXOFF;
    if ((state.cflag & CRTSCTS) != 0)
        handshake |= HANDSHAKE_CTSRTS;
    record.handshake = handshake;
}

uint32_t SetModemLines(int fd, bool dtr, bool rts)
{
    int dtrBit = TIOCM_DTR;
    int rtsBit = TIOCM_RTS;
    if (Ioctl(fd, dtr ? TIOCMBIS : TIOCMBIC, &dtrBit) != 0 || Ioctl(fd, rts ? TIOCMBIS : TIOCMBIC, &rtsBit) != 0) {
        if (errno == ENOTTY || errno == EINVAL)
            return 0;
        return LastError();
    }
    return 0;
}

uint32_t FlushQueues(int fd, EQueue queues)
{
    const long which = queues == EQueue::Input ? TCIFLUSH : queues == EQueue::Output ? TCOFLUSH : TCIOFLUSH;
    return IoctlValue(fd, TCFLSH, which) != 0 ? LastError() : 0;
}

uint32_t DrainOutput(int fd)
{
    // TCSBRK with a non-zero argument waits for the output without sending
    // a break (what tcdrain does).
    return IoctlValue(fd, TCSBRK, 1) != 0 ? LastError() : 0;
}

uint32_t InputCount(int fd, uint32_t& count)
{
    int n = 0;
    if (Ioctl(fd, TIOCINQ, &n) != 0)
        return LastError();
    count = n > 0 ? static_cast<uint32_t>(n) : 0;
    return 0;
}

uint32_t SetExclusive(int fd, bool exclusive)
{
    return IoctlValue(fd, exclusive ? TIOCEXCL : TIOCNXCL, 0) != 0 ? LastError() : 0;
}

} // namespace StreamIO::Rs232Line
