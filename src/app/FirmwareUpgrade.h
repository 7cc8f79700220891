// SPDX-License-Identifier: GPL-3.0-or-later
// The launch of the maker's firmware upgrade program VnUpgrade: its
// settings in the registry, then the program itself, waited for.
#pragma once

#include <string>

class QWidget;

namespace FirmwareUpgrade {

// The upgrade program's arguments: "-DeviceTypeList 07-00000-0".
inline constexpr char kArguments[] = "-DeviceTypeList 07-00000-0";

// Writes "Pfad" = `pfad` and "LanguageFile" = `pfad`, the separator and the
// program's name (string 654) under "Software\Vantor\VnUpgrade\Settings"
// (string 603).  A failed write shows message 1000; false then.
bool PrepareRegistry(const std::u16string& pfad);

// The upgrade program's file in the program's folder.
std::u16string ProgramPath(const std::u16string& programFolder);

// Starts the upgrade program from `programFolder` and waits until it ends;
// `owner` is disabled meanwhile (it still repaints).  When the program is
// missing or cannot be started, a message says so and the result is false.
bool RunAndWait(const std::u16string& programFolder, QWidget* owner);

} // namespace FirmwareUpgrade
