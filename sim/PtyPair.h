// SPDX-License-Identifier: GPL-3.0-or-later
// A pseudo-terminal pair in raw mode: the simulator serves the master, the
// program opens the slave path as if it were a serial port.
#pragma once

#include <string>

namespace Sim {

struct SPtyPair {
    int master = -1;
    // The simulator keeps one slave descriptor open itself, so that the master
    // stays usable while the program closes and reopens the port.
    int slave = -1;
    std::string slavePath;
};

// Opens a pair, puts the line in raw mode (no echo, no translation, 8 bits).
// False with a message when the system refuses.
bool OpenRawPty(SPtyPair& pair, std::string& error);

void ClosePty(SPtyPair& pair);

} // namespace Sim
