// SPDX-License-Identifier: GPL-3.0-or-later
// CDemoMode: `brelmora --demo`.  The simulated Veltrano runs in this process
// on a pseudo-terminal, and a free COM number is pointed at it for this run
// only (a mapping of the process, never written to the settings).  The
// wizard then opens on that port with scanning off, so no real port is
// probed.  Nothing of the demo reaches the settings file: the wizard's values
// are neither read nor stored and no firmware check counts failures.
#pragma once

#include <memory>
#include <string>

class CConnWizardSettings;

namespace Sim {
class CVeltranoSimulator;
}

class CDemoMode {
public:
    CDemoMode();
    // Stops the simulator and removes the port mapping.
    ~CDemoMode();
    CDemoMode(const CDemoMode&) = delete;
    CDemoMode& operator=(const CDemoMode&) = delete;

    // Starts the simulated instrument with its sample content; false with
    // the reason (string table) in `error`.
    bool Start(std::u16string& error);
    void Stop();
    bool IsRunning() const;

    // The COM number that plays the simulated instrument (0 before Start).
    int GetComPort() const { return m_comPort; }
    Sim::CVeltranoSimulator* Simulator() const { return m_sim.get(); }

    // The wizard's record for the demo: serial, the demo's port, no scan.
    void PresetWizard(CConnWizardSettings& settings) const;

    // The first COM number from 1 to 256 that has no device file and no
    // mapping of this process; 0 when none is free.
    static int FindFreeComPort();

private:
    std::unique_ptr<Sim::CVeltranoSimulator> m_sim;
    int m_comPort = 0;
};
