// SPDX-License-Identifier: GPL-3.0-or-later
// One place where an instrument may be found: a COM port, an Ethernet
// address or a USB interface, as the link value the stream layer opens.
#pragma once

#include <cstdint>
#include <string>

#include "streamio/LinkSpec.h"

namespace Collect {

struct SCollectTarget {
    std::string name;              // how events name it: "COM41", "IP:10.0.0.7:3728", a USB path
    StreamIO::SLinkSpec link;      // serial by COM number, IP, or USB
    // Serial: a device file that does not exist is absent without being
    // opened, and one that carries the system console is never opened.
    bool fromScan = false;
};

// The target of COM port `port`.
SCollectTarget ComPortTarget(uint32_t port, bool fromScan);
// The target of a link (a serial one by COM number), named as the link's
// canonical spelling.
SCollectTarget LinkTarget(const StreamIO::SLinkSpec& link);

// The device file a serial target opens now (the Ports key is read again);
// empty for other kinds and for ports without a device file.
std::string DevicePathOf(const SCollectTarget& target);

} // namespace Collect
