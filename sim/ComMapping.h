// SPDX-License-Identifier: GPL-3.0-or-later
// The COM port mapping of the simulator's pseudo-terminal in the registry
// store, so the program finds the simulated instrument as COM<n>.
#pragma once

#include <string>

namespace Sim {

class CComMapping {
public:
    ~CComMapping() { Restore(); }

    // Maps COM<n> to `devicePath`, remembering the value it replaces.  A new
    // path for the same port (after a hang-up made a new pseudo-terminal)
    // keeps the first remembered value.
    bool Map(int n, const std::string& devicePath, std::string& error);

    // Puts the remembered value back (or removes the mapping when there was
    // none), unless someone else has mapped the port since.
    void Restore();

private:
    int m_port = 0;
    std::string m_path;
    bool m_hadPrevious = false;
    std::u16string m_previous;
};

} // namespace Sim
