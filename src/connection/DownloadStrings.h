// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the download's outcome messages added to the
// connection driver's own.
#pragma once

#include <cstdint>

namespace DownloadStrings {

// The series data did not parse whole; %d: the series read.
constexpr uint32_t kDownloadIncomplete = 53030;

} // namespace DownloadStrings
