// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument simulator on the far side of a pseudo-terminal that a COM
// number of the test's registry leads to, and the way back: stopped, with
// the COM number pointing at a path that does not exist, never at a device
// of this machine.
#pragma once

#include <memory>
#include <string>

#include "platform/ComPorts.h"
#include "sim/VeltranoSimulator.h"

namespace TestEnv {

// The path a COM number of the tests points at while no simulator serves it.
inline std::string AbsentComDevice(int port)
{
    return "/nonexistent/brelmora-test/COM" + std::to_string(port);
}

// Serves `instrument` on a pseudo-terminal and points COM `port` at it; null
// (and `error` says why) when that failed.
inline std::unique_ptr<Sim::CVeltranoSimulator> ServeOnComPort(int port, std::shared_ptr<Sim::CInstrument> instrument,
                                                               const Sim::SLineOptions& line, std::string& error)
{
    auto sim = std::make_unique<Sim::CVeltranoSimulator>(std::move(instrument), line);
    const std::string path = sim->ServePty(&error);
    if (path.empty() || Platform::SetComPortDevicePath(port, path) != 0) {
        if (error.empty())
            error = "COM" + std::to_string(port) + " could not be pointed at " + path;
        return nullptr;
    }
    return sim;
}

// Stops the simulator (the line goes away, as when the cable is pulled) and
// points COM `port` at a path that does not exist.
inline void StopComPortSimulator(int port, std::unique_ptr<Sim::CVeltranoSimulator>& sim)
{
    if (sim)
        sim->Stop();
    sim.reset();
    Platform::SetComPortDevicePath(port, AbsentComDevice(port));
}

} // namespace TestEnv
