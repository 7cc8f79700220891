// SPDX-License-Identifier: GPL-3.0-or-later
// CreateDevice and GetTypeName: the instrument types this program knows.
#include "device/DeviceStrings.h"
#include "device/KastelDevice.h"
#include "device/VeltranoDevice.h"
#include "platform/StringTable.h"

namespace Device {

std::unique_ptr<CVnDevice> CreateDevice(NTypes type)
{
    switch (type) {
    case TYPE_ARGENTOR:
        return std::make_unique<CKastelDevice>();
    case TYPE_VELTRANO:
        return std::make_unique<CVeltranoDevice>();
    default:
        // The other families' classes are not part of this program.
        return nullptr;
    }
}

std::u16string GetTypeName(NTypes type)
{
    switch (type) {
    case TYPE_ARGENTOR:
        return Platform::LoadString(IDS_TYPE_ARGENTOR);
    case TYPE_VELTRANO:
        return Platform::LoadString(IDS_TYPE_VELTRANO);
    default:
        return std::u16string();
    }
}

} // namespace Device
