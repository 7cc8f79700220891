// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal pair for tests that need a serial line.
//
// The test plays the far end (the instrument) on the master side; the code
// under test opens the slave path as its serial port (map a COM number to
// SlavePath() with Platform::SetComPortDevicePath).  The pair keeps one slave
// descriptor open itself, so the master stays usable while the code under
// test closes and reopens the port, and the test can read the line settings
// the code under test applied (tcgetattr on Slave()).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace TestEnv {

class CPty {
public:
    CPty() = default;
    ~CPty() { Close(); }
    CPty(const CPty&) = delete;
    CPty& operator=(const CPty&) = delete;

    // Opens a pair in raw mode (8 bits, no echo, no translation, no flow
    // control).  False with a message in `error` when the system refuses.
    bool Open(std::string* error = nullptr);
    // Closes both sides; the code under test then sees a hang-up.
    void Close();
    // Closes only the master: a hang-up while the slave stays open.
    void CloseMaster();

    int Master() const { return m_master; }
    int Slave() const { return m_slave; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Writes every byte to the master; false when that fails.
    bool Send(std::string_view bytes);
    // Reads from the master until `count` bytes came or `timeoutMs` passed.
    std::string Receive(size_t count, int timeoutMs);

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

} // namespace TestEnv
