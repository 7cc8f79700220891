// SPDX-License-Identifier: GPL-3.0-or-later
// Splits the bytes the program sends into requests: block frames
// (0xC0 + n, block number, n data bytes), the DLE byte that opens a text
// command, and the command line that follows it, ending in CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Sim {

struct SRequest {
    enum EKind { None, Dle, Text, Frame };
    EKind kind = None;
    std::string text;            // Text: the command without its CR
    bool overlong = false;       // Text: the line was longer than MAX_LINE and was cut
    uint8_t block = 0;           // Frame
    std::vector<uint8_t> data;   // Frame: the request data bytes
};

class CFrameReader {
public:
    static constexpr uint8_t DLE = 0x10;
    static constexpr uint8_t CR = 0x0D;
    static constexpr size_t MAX_LINE = 1024;
    // A request whose next byte does not come within this time is dropped.
    static constexpr int64_t FRAME_GAP_MS = 500;
    static constexpr int64_t TEXT_GAP_MS = 2000;

    // Takes one byte received at `nowMs` (a steady clock in milliseconds);
    // returns the request it completes, or kind None.
    SRequest Feed(uint8_t b, int64_t nowMs);

    // The time at which a partial request will be dropped, or -1.
    int64_t Deadline() const;

    // Drops a partial request whose deadline has passed.
    void Expire(int64_t nowMs);

    void Reset();

    // Bytes that belonged to no request (noise between requests, dropped parts).
    uint64_t IgnoredBytes() const { return m_ignored; }

private:
    enum EState { Idle, InText, InFrame };
    EState m_state = Idle;
    int64_t m_last = 0;
    size_t m_need = 0;           // frame bytes still expected (block number + data)
    bool m_haveBlock = false;
    SRequest m_partial;
    uint64_t m_ignored = 0;
};

} // namespace Sim
