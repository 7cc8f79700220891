// One place where an instrument may be found: a COM port, an Ethernet
// address or a USB interface, with the stream name the factory opens.
#pragma once

#include <cstdint>
#include <string>

#include "device/DeviceTypes.h"

namespace Collect {

struct SCollectTarget {
    std::string name;              // how events name it: "COM41", "IP:10.0.0.7:3728", a USB path
    Device::NPorts kind = Device::PORT_SERIAL;
    uint32_t comPort = 0;          // serial: the COM number
    std::u16string streamName;     // what StreamIO::OpenStream opens
    // Serial: a device file that does not exist is absent without being
    // opened, and one that carries the system console is never opened.
    bool fromScan = false;
};

// The target of COM port `port` ("COM<port>:").
SCollectTarget ComPortTarget(uint32_t port, bool fromScan);
// The target of the instrument's Ethernet interface, `ipName` "IP:HOST:PORT".
SCollectTarget IpTarget(const std::string& ipName);
// The target of a USB interface path as the enumeration gives it.
SCollectTarget UsbTarget(const std::u16string& path);

// The device file a serial target opens now (the Ports key is read again);
// empty for other kinds and for ports without a device file.
std::string DevicePathOf(const SCollectTarget& target);

} // namespace Collect
