#include "collect/CollectTarget.h"

#include "platform/ComPorts.h"
#include "platform/Text.h"

namespace Collect {

SCollectTarget ComPortTarget(uint32_t port, bool fromScan)
{
    SCollectTarget t;
    t.name = "COM" + std::to_string(port);
    t.kind = Device::PORT_SERIAL;
    t.comPort = port;
    t.streamName = Platform::Format("COM%u:", port);
    t.fromScan = fromScan;
    return t;
}

SCollectTarget IpTarget(const std::string& ipName)
{
    SCollectTarget t;
    t.name = ipName;
    t.kind = Device::PORT_ETHERNET;
    t.streamName = Platform::FromUtf8(ipName);
    return t;
}

SCollectTarget UsbTarget(const std::u16string& path)
{
    SCollectTarget t;
    t.name = Platform::ToUtf8(path);
    t.kind = Device::PORT_USB;
    t.streamName = path;
    return t;
}

std::string DevicePathOf(const SCollectTarget& target)
{
    if (target.kind != Device::PORT_SERIAL || target.comPort == 0)
        return std::string();
    return Platform::ComPortDevicePath(static_cast<int>(target.comPort));
}

} // namespace Collect
