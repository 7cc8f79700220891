// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the clipboard transfer of series (46000-46999).
#pragma once

#include <cstdint>

namespace ClipboardStrings {

constexpr uint32_t kDamaged = 46000;       // the pasted stream does not parse
constexpr uint32_t kLengthTooLarge = 46001; // %u: announced length, %u: bytes present
constexpr uint32_t kPasteFailed = 46002;   // memory or the RAM transfer failed

} // namespace ClipboardStrings
