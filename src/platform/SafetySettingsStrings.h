// SPDX-License-Identifier: GPL-3.0-or-later
// String-table id of the settings file that cannot take a change.
#pragma once

#include <cstdint>

namespace SafetySettingsStrings {

// %s: the settings file, %s: the cause (locked elsewhere, over its size limit)
constexpr uint32_t kSettingsNotStored = 53070;

} // namespace SafetySettingsStrings
