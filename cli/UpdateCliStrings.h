// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the update commands of brelmora-cli (48200-48299).
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kInstallerLine = 48200;        // %s file, %s bytes
constexpr uint32_t kHardwareIdLine = 48202;       // %s "%08x"
constexpr uint32_t kFolderLine = 48203;           // %s folder
constexpr uint32_t kInstalledLine = 48204;        // %d kind, %s version
constexpr uint32_t kNewestFirmwareLine = 48205;   // %s version
constexpr uint32_t kNoNewerFirmware = 48206;
constexpr uint32_t kNewestOsLine = 48207;         // %s version
constexpr uint32_t kNoHardwareFolder = 48208;
constexpr uint32_t kBadServer = 48209;            // %s the text given
constexpr uint32_t kDeviceNotRead = 48210;

} // namespace Cli
