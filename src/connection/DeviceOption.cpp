// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/DeviceOption.h"

#include "connection/PaperConnection.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"

bool CDeviceOption::HasDevice() const
{
    return m_connection.GetDevice() != nullptr;
}

bool CDeviceOption::IsLineFailure() const
{
    return m_failure != Device::ELinkFailure::None && m_failure != Device::ELinkFailure::InstrumentError;
}

std::u16string CDeviceOption::FailureText() const
{
    return Device::DescribeFailure(m_failure, m_instrumentError, m_streamError);
}

void CDeviceOption::NoteFailure()
{
    Device::CVeltranoDevice* device = m_connection.GetDevice();
    Device::CVnCommands* commands = device != nullptr ? device->GetCommands() : nullptr;
    m_failure = commands != nullptr ? commands->GetLastFailure() : Device::ELinkFailure::HangUp;
    m_instrumentError = commands != nullptr ? commands->GetLastInstrumentError() : 0;
    m_streamError = commands != nullptr ? commands->GetLastStreamError() : 0;
}

bool CDeviceOption::Open(bool& on)
{
    on = false;
    m_failure = Device::ELinkFailure::None;
    if (!m_connection.Connect(false))
        return false;
    Read(on);
    return true;
}

CDeviceOption::ESwitch CDeviceOption::Switch(bool on)
{
    m_failure = Device::ELinkFailure::None;
    Device::CVeltranoDevice* device = m_connection.GetDevice();
    if (device == nullptr)
        return ESwitch::NoDevice;
    if (device->SetOption88(on))
        return ESwitch::Switched;
    NoteFailure();
    if (IsLineFailure())
        return ESwitch::Failed;
    return on ? ESwitch::NotSupported : ESwitch::Switched;
}

bool CDeviceOption::Read(bool& on)
{
    on = false;
    m_failure = Device::ELinkFailure::None;
    Device::CVeltranoDevice* device = m_connection.GetDevice();
    if (device == nullptr)
        return false;
    if (device->QueryOption88(on))
        return true;
    NoteFailure();
    on = false;
    return false;
}
