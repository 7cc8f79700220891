// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the desktop program's output checks.
#pragma once

#include <cstdint>

namespace AppSafetyStrings {

constexpr uint32_t kStdoutFailed = 53040;       // %s: the cause
constexpr uint32_t kOutputIsSettings = 53021;   // the output is the settings file or its lock file

} // namespace AppSafetyStrings
