// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line record that an instrument class hands to the serial stream
// (and that the stream reads back from a port).
#pragma once

#include <cstdint>

namespace StreamIO {

constexpr uint32_t SERIAL_SETTINGS_MAGIC = 0xA500;

// Parity codes of the record (not the Win32 order).
enum : uint32_t {
    PARITY_NONE = 0,
    PARITY_EVEN = 1,
    PARITY_ODD = 2,
    PARITY_MARK = 3,
    PARITY_SPACE = 4,
};

// Stop-bit codes.
enum : uint32_t {
    STOPBITS_ONE = 0,
    STOPBITS_ONE_AND_HALF = 1,
    STOPBITS_TWO = 2,
};

// Handshake flags.
enum : uint8_t {
    HANDSHAKE_XONXOFF = 0x01,
    HANDSHAKE_DSRDTR = 0x02,
    HANDSHAKE_CTSRTS = 0x04,
    HANDSHAKE_RTS_OFF = 0x08,
};

struct SerialSettings {
    uint32_t magic = SERIAL_SETTINGS_MAGIC;
    uint32_t baudRate = 9600;
    uint8_t dataBits = 8;
    uint32_t parity = PARITY_NONE;
    uint32_t stopBits = STOPBITS_ONE;
    uint8_t handshake = 0;
    uint16_t receiveQueue = 1024;
    uint16_t transmitQueue = 256;
    int32_t readTimeout = 500;   // ms, -1 infinite
    int32_t writeTimeout = 10;   // ms, -1 infinite
};

} // namespace StreamIO
