// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal layer of the serial stream: line settings and the port
// controls of a Linux tty, kept apart from CRs232Stream so that the kernel's
// termios2 interface (which clashes with the C library's <termios.h>) stays
// in one source file.
//
// Every call returns 0 or the Win32 error number of the failure.
#pragma once

#include <cstdint>

#include "streamio/serial/SerialSettings.h"

namespace StreamIO::Rs232Line {

// The kernel's terminal settings (struct termios2) in a form free of the
// system headers; flag values are the kernel's.
struct SLineState {
    uint32_t iflag = 0;
    uint32_t oflag = 0;
    uint32_t cflag = 0;
    uint32_t lflag = 0;
    uint8_t line = 0;
    uint8_t cc[19] = {};
    uint32_t ispeed = 0;
    uint32_t ospeed = 0;
};

uint32_t GetLineState(int fd, SLineState& state);
uint32_t SetLineState(int fd, const SLineState& state);

// Raw mode on the current settings: no translation, echo, signals or
// software flow control; reads return what has arrived (VMIN 1, VTIME 0 on a
// non-blocking descriptor).  Speed, character format and CTS/RTS flow stay.
void MakeRaw(SLineState& state);

// Builds the settings of `record` from zero (only the line discipline and
// the hang-up-on-close bit of `state` are kept): raw mode, receiver on,
// modem status lines ignored, baud (any rate: standard rates by their code,
// others as a free rate), data bits, parity (mark/space by CMSPAR), stop
// bits (one and a half is sent as two), XON/XOFF with 0x11/0x13, CTS/RTS.
// 87 when the baud rate is 0, the data bits are not 5 to 8 or the parity
// code is unknown; `state` is unchanged then.
uint32_t EncodeLine(const SerialSettings& record, SLineState& state);

// Reads the baud rate, data bits, parity, stop bits (0 or 2) and the
// handshake bits the terminal shows (0x01 XON/XOFF, 0x04 CTS/RTS) into
// `record`; other fields are left alone.
void DecodeLine(const SLineState& state, SerialSettings& record);

// Raises and lowers the modem control lines DTR and RTS.  A device without
// such lines (a pseudo-terminal, some adapters) has nothing to switch: that
// is not a failure.
uint32_t SetModemLines(int fd, bool dtr, bool rts);

enum class EQueue { Input, Output, Both };
// Discards what waits in the driver's queues.
uint32_t FlushQueues(int fd, EQueue queues);
// Waits until every byte written has gone out.
uint32_t DrainOutput(int fd);
// Bytes in the input queue.
uint32_t InputCount(int fd, uint32_t& count);
// Refuses (or again allows) further opens of the terminal.
uint32_t SetExclusive(int fd, bool exclusive);

} // namespace StreamIO::Rs232Line
