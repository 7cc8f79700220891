// SPDX-License-Identifier: GPL-3.0-or-later
// CConnWizardSettings: what the connection wizard remembers between runs, and
// its registry rules.  The connection driver loads the record before the
// wizard runs and stores it whenever the wizard closes, Finish or not.
//
// Values, all in one key of the current user (DefaultKey()):
//   "Express"     DWORD  non-zero = on
//   "DeviceType"  DWORD  instrument type; 0 to 17, else 0
//   "ComPort"     DWORD  COM port number; 1 to 9998, else 1
//   "CommPort"    DWORD  port kind; 1 to 9998, else 0
//   "Scan"        DWORD  scan every COM port; non-zero = on
//   "Stop Scan"   DWORD  stop at the first instrument found; non-zero = on
//   "IP Address"  REG_SZ up to 260 characters; missing or not a text: empty
// A DWORD that is missing (or of another type) reads as 0 under these rules.
#pragma once

#include <cstdint>
#include <string>

#include "device/DeviceTypes.h"
#include "streamio/LinkSpec.h"

class CConnWizardSettings {
public:
    static constexpr size_t kMaxIpText = 260;
    // The wizard's field and the stored value take every COM number a link
    // holds, beyond the named ports a scan walks.
    static constexpr uint32_t kLastComPort = StreamIO::kLastComPort;

    // The defaults that stay when the key cannot be opened.
    Device::NTypes deviceType = 0;
    Device::NPorts portKind = Device::PORT_NONE;
    std::u16string ipAddress;
    bool stopAtFirst = true;
    bool scanAll = true;
    bool express = true;
    uint32_t comPort = 1;

    // String 603 followed by "\\ConnWizard" (the suffix only when string 603
    // is not empty).
    static std::u16string DefaultKey();

    // Reads every value by its rule.  When the key cannot be opened nothing
    // changes; returns the registry error of opening it (0: read).
    uint32_t Load(const std::u16string& keyPath);

    // Writes every value, creating the key when needed, and stops at the
    // first value that cannot be written; returns that error (0: written).
    // "DeviceType" is `heldType` when the wizard holds a device, else the
    // selected type; a COM port of 0 or above 9999 is written as 1.
    uint32_t Store(const std::u16string& keyPath, const Device::NTypes* heldType = nullptr) const;

    // The read rules of the numbers.
    static Device::NTypes ReadDeviceType(uint32_t stored);
    static uint32_t ReadComPort(uint32_t stored);
    static Device::NPorts ReadPortKind(uint32_t stored);
    // The write rule of the COM port.
    static uint32_t WrittenComPort(uint32_t port);
};
