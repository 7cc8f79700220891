// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceOption: the device options dialog without widgets.  It reads and
// switches the one instrument option "Store invalid measurements as zero"
// (sub-command 0x88) of the connected Veltrano through the connection
// driver.  The dialog shows the state read; after a switch it waits
// kSettleMs before reading the option back, because the instrument needs
// that long before it reports the new state.
#pragma once

#include <cstdint>
#include <string>

#include "device/VnCommands.h"

class CPaperConnection;

class CDeviceOption {
public:
    static constexpr int kSettleMs = 500;

    enum class ESwitch {
        Switched,       // read the option back after kSettleMs
        NotSupported,   // the instrument refused switching on: message 59587, the box stays clear
        Failed,         // the line failed: FailureText says how, the box stays clear
        NoDevice,       // no instrument held: nothing sent
    };

    explicit CDeviceOption(CPaperConnection& connection) : m_connection(connection) {}

    // Connects, checking a held instrument first (the wizard runs when none
    // is held).  False without an instrument: the dialog does not open.
    // Otherwise reads the option into `on` (off when the read fails).
    bool Open(bool& on);
    // Switches the option.  An instrument that refuses switching off is
    // read back like one that accepted: the box shows what it kept.
    ESwitch Switch(bool on);
    // Reads the option; false (and `on` off) when no instrument is held or
    // the read fails.  Old firmware refuses the read: that is no line failure.
    bool Read(bool& on);

    bool HasDevice() const;
    Device::ELinkFailure GetLastFailure() const { return m_failure; }
    // The last operation failed on the line (not by the instrument's refusal).
    bool IsLineFailure() const;
    // What failed, for the message.
    std::u16string FailureText() const;

private:
    void NoteFailure();

    CPaperConnection& m_connection;
    Device::ELinkFailure m_failure = Device::ELinkFailure::None;
    uint8_t m_instrumentError = 0;
    uint32_t m_streamError = 0;
};
