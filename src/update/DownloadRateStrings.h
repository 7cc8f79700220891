// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the installer download's rate rule.
#pragma once

#include <cstdint>

namespace Update {

// %s file, %s bytes a second (a tenth of the minimum rate), %s seconds
constexpr uint32_t IDS_DOWNLOAD_TOO_SLOW = 53060;

} // namespace Update
