// SPDX-License-Identifier: GPL-3.0-or-later
// Which device file plays COM port n.
//
// A COM port keeps its Windows number (1 to 256 from stream names, larger
// numbers from the connection wizard).  The REG_SZ value "COM<n>" under
// HKEY_CURRENT_USER\Software\Vantor\Brelmora\Ports names the device file
// when present (the simulator maps its pseudo-terminal there); otherwise
// COM1-COM32 are /dev/ttyS0-31, COM33-COM64 /dev/ttyUSB0-31 and COM65-COM96
// /dev/ttyACM0-31.  Other numbers have no device file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Platform {

// The key that holds the port mapping, below HKEY_CURRENT_USER.
inline constexpr std::u16string_view kComPortsKey = u"Software\\Vantor\\Brelmora\\Ports";

// The device file of port n; empty when there is none (opening then fails
// with ERROR_FILE_NOT_FOUND).  Empty as well when the registry file is
// damaged or unreadable, since it may map the port elsewhere, and when the
// default device is a ttyS port with no UART behind it (the kernel makes
// ttyS0 to ttyS31 whether the hardware exists or not; sysfs reports the
// port type of the missing ones as 0, unknown).
std::string ComPortDevicePath(int n);

// True when `devicePath` (after following links) is a terminal that carries
// the system console (/sys/class/tty/console/active): a scan never opens
// it, since what it would send could end up on the machine's console.
bool IsSystemConsole(const std::string& devicePath);

// The sysfs root the two checks above read ("/sys"); tests point it at a
// tree of their own.
void SetSysfsRoot(const std::string& root);

// The device file port n has when the registry does not map it.
std::string DefaultComPortDevicePath(int n);

// Maps port n to a device file (REG_SZ "COM<n>"); used by the simulator's
// "--com N".  Returns a Win32 error number; ERROR_INVALID_PARAMETER for n < 1.
uint32_t SetComPortDevicePath(int n, std::string_view devicePath);

// Maps port n to a device file for this process only, before anything the
// registry says; nothing is written (the demo mode's simulated instrument
// leaves no trace in the settings).  An empty path removes the mapping.
void SetProcessComPortDevicePath(int n, const std::string& devicePath);
// True when port n has a mapping of this process.
bool HasProcessComPortDevicePath(int n);

// Removes the mapping of port n, so it falls back to the default device file.
// ERROR_FILE_NOT_FOUND when the port was not mapped.
uint32_t RemoveComPortDevicePath(int n);

} // namespace Platform
