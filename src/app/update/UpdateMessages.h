// SPDX-License-Identifier: GPL-3.0-or-later
// The ids of the two messages that carry a newer version to the main
// window (as the posted window messages WM_USER+17 and WM_USER+18 did).
#pragma once

#include <cstdint>

namespace UpdateMessages {

constexpr uint32_t kNewProgramVersion = 1041;    // from the update check
constexpr uint32_t kNewFirmwareVersion = 1042;   // from the firmware check

} // namespace UpdateMessages
