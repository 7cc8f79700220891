// SPDX-License-Identifier: GPL-3.0-or-later
#include "collect/CollectTarget.h"

#include "platform/ComPorts.h"
#include "platform/Text.h"

namespace Collect {

SCollectTarget ComPortTarget(uint32_t port, bool fromScan)
{
    SCollectTarget t = LinkTarget(StreamIO::SLinkSpec::Serial(port));
    t.fromScan = fromScan;
    return t;
}

SCollectTarget LinkTarget(const StreamIO::SLinkSpec& link)
{
    SCollectTarget t;
    t.link = link;
    t.name = Platform::ToUtf8(StreamIO::FormatLink(link));
    return t;
}

std::string DevicePathOf(const SCollectTarget& target)
{
    if (target.link.kind != StreamIO::ELinkKind::Serial || target.link.comPort == 0)
        return std::string();
    return Platform::ComPortDevicePath(static_cast<int>(target.link.comPort));
}

} // namespace Collect
