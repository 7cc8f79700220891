#include "connection/DeviceOption.h"

#include "connection/PaperConnection.h"
#include "device/VeltranoDevice.h"

bool CDeviceOption::HasDevice() const
{
    return m_connection.GetDevice() != nullptr;
}

void CDeviceOption::NoteFailure()
{
    Device::CVeltranoDevice* device = m_connection.GetDevice();
    Device::CVnCommands* commands = device != nullptr ? device->GetCommands() : nullptr;
    m_failure = commands != nullptr ? commands->GetLastFailure() : Device::ELinkFailure::HangUp;
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
    return on ? ESwitch::NotSupported : ESwitch::Switched;
}

bool CDeviceOption::Read(bool& on)
{
    on = false;
    Device::CVeltranoDevice* device = m_connection.GetDevice();
    if (device == nullptr)
        return false;
    if (device->QueryOption88(on))
        return true;
    NoteFailure();
    on = false;
    return false;
}
