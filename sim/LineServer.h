// SPDX-License-Identifier: GPL-3.0-or-later
// Serves one line (a pseudo-terminal master, a socket, any descriptor) for
// the simulated instrument: reads requests, writes the answers, paced to an
// emulated line rate when asked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Instrument.h"

namespace Sim {

struct SLineOptions {
    // Emulated line rate in bits per second, 10 bits per character
    // (8N1 with start bit); 0 sends as fast as the line takes.
    uint32_t baud = 0;
    // An answer the other side does not take for this long is abandoned, so a
    // program that stopped reading cannot block the instrument for good.
    int stallMs = 2000;
    // Before a hang-up, wait (up to stallMs) until this descriptor's input
    // queue is empty: the simulator's own copy of a pseudo-terminal slave, so
    // the bytes sent before the hang-up reach the program first, as on a
    // real line.  -1: hang up at once.
    int drainFd = -1;
    // Receives one line per request (may be empty).
    std::function<void(const std::string&)> log;
};

enum class EEndReason {
    Stopped,      // the stop descriptor became readable
    HungUp,       // the hang-up fault closed the line
    PeerClosed,   // the other side closed the line
    Failed,       // a read or write failed
};

const char* DescribeEnd(EEndReason reason);

// Serves `fd` until one of the reasons above; never closes `fd`.  `stopFd`
// (may be -1) ends the service, also in the middle of a paced answer, as soon
// as it becomes readable.  The descriptor is switched to non-blocking mode.
EEndReason ServeLine(int fd, CInstrument& instrument, const SLineOptions& options, int stopFd);

} // namespace Sim
