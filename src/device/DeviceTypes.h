// SPDX-License-Identifier: GPL-3.0-or-later
// Small value types of the device library: instrument types, port kinds,
// identification records and the last-error record.
#pragma once

#include <cstdint>
#include <string>

namespace Device {

// Instrument type (NTypes).  Only the Kastel family matters here; the other
// values from 0 to 17 (except 11, 12 and 15) belong to instrument families
// whose classes are not part of this program.
using NTypes = int32_t;
constexpr NTypes TYPE_ARGENTOR = 2;
constexpr NTypes TYPE_VELTRANO = 4;
constexpr NTypes TYPE_LAST = 17;

// Port kind (NPorts); also used as a mask of supported kinds.
using NPorts = int32_t;
constexpr NPorts PORT_NONE = 0;
constexpr NPorts PORT_SERIAL = 1;
constexpr NPorts PORT_USB = 2;
constexpr NPorts PORT_ETHERNET = 4;

// The short identification: type name, application version, serial number.
struct SDeviceInfo {
    std::u16string typeName;
    std::u16string appVersion;
    std::u16string serialNumber;
};

// The full identification of a Kastel-family instrument.
struct SDeviceDetails {
    std::u16string typeName;
    std::u16string appVersion;
    std::u16string serialNumber;
    std::u16string hardwareRevision;
    std::u16string signature;
    std::u16string bootloaderVersion;
};

// The last error a device operation recorded.
struct SLastError {
    std::u16string message;
    std::u16string detail;
    uint32_t code = 0;
    uint32_t value = 0;
};

} // namespace Device
