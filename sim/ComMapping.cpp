// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComMapping.h"

#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "streamio/LinkSpec.h"

namespace Sim {

namespace {

std::u16string ValueName(int n)
{
    return Platform::FromUtf8("COM" + std::to_string(n));
}

} // namespace

bool CComMapping::Map(int n, const std::string& devicePath, std::string& error)
{
    if (n < static_cast<int>(StreamIO::kFirstComPort) || n > static_cast<int>(StreamIO::kLastNamedComPort)) {
        error = "COM port numbers run from 1 to 256";
        return false;
    }
    if (m_port != n) {
        Restore();
        Platform::CRegKey key;
        std::u16string previous;
        m_hadPrevious = key.Open(Platform::kComPortsKey, Platform::CRegKey::Read) ==
                            Platform::ERROR_SUCCESS &&
                        key.QueryString(ValueName(n), previous) == Platform::ERROR_SUCCESS;
        m_previous = m_hadPrevious ? previous : std::u16string();
    }
    const uint32_t rc = Platform::SetComPortDevicePath(n, devicePath);
    if (rc != Platform::ERROR_SUCCESS) {
        error = std::string("cannot write the COM mapping: ") + Platform::DescribeError(rc);
        return false;
    }
    m_port = n;
    m_path = devicePath;
    return true;
}

void CComMapping::Restore()
{
    if (m_port == 0)
        return;
    Platform::CRegKey key;
    std::u16string current;
    const bool ours = key.Open(Platform::kComPortsKey, Platform::CRegKey::Read) ==
                          Platform::ERROR_SUCCESS &&
                      key.QueryString(ValueName(m_port), current) == Platform::ERROR_SUCCESS &&
                      current == Platform::FromUtf8(m_path);
    if (ours) {
        if (m_hadPrevious)
            Platform::SetComPortDevicePath(m_port, Platform::ToUtf8(m_previous));
        else
            Platform::RemoveComPortDevicePath(m_port);
    }
    m_port = 0;
    m_path.clear();
}

} // namespace Sim
