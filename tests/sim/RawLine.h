// SPDX-License-Identifier: GPL-3.0-or-later
// The test's own side of the line: raw bytes to and from the simulator over
// a pseudo-terminal slave or a socket, with a small reader of the answer
// forms (count byte, extended header, checksum).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SimTest {

struct SBlockAnswer {
    int count = -1;                 // the count byte; -1 when none came
    std::vector<uint8_t> data;
    int checksumKind = 0;           // extended answers only
    uint32_t checksum = 0;          // as received
    bool checksumOk = false;        // extended answers: the checksum matches
    bool complete = false;          // every announced byte came
};

class CRawLine {
public:
    CRawLine() = default;
    explicit CRawLine(int fd) : m_fd(fd) {}
    ~CRawLine();
    CRawLine(const CRawLine&) = delete;
    CRawLine& operator=(const CRawLine&) = delete;

    // Opens a pseudo-terminal slave in raw mode.
    bool OpenSerial(const std::string& path);
    // Connects to a TCP port on loopback.
    bool ConnectTcp(uint16_t port, const char* address = "127.0.0.1");
    void Close();
    int Fd() const { return m_fd; }

    bool Write(const std::vector<uint8_t>& bytes);
    // Up to `n` bytes, waiting at most `timeoutMs` for all of them.
    std::vector<uint8_t> Read(size_t n, int timeoutMs);
    // Whether the other side closed the line within `timeoutMs` (reading and
    // dropping whatever still comes).
    // True when the line ends within `timeoutMs`; `error` receives the errno
    // of the end, also when an earlier read met it (0 for an orderly end,
    // ECONNRESET for a reset).
    bool WaitForHangUp(int timeoutMs, int* error = nullptr);

    // One block request: 0xC0 + n, block, data; then reads the answer.
    SBlockAnswer Block(uint8_t block, const std::vector<uint8_t>& data, int timeoutMs = 2000);
    // Reads one answer in any form.
    SBlockAnswer ReadAnswer(int timeoutMs);
    // DLE, its one-byte reply, the command and CR; returns the answer line
    // (up to and including CR, and LF when echo is on).
    std::string Text(const std::string& command, bool echo = false, int timeoutMs = 2000);

private:
    int m_fd = -1;
    int m_endError = 0;   // errno of the read that met the end of the line
};

} // namespace SimTest
