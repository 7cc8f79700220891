// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the command line's guards against damaged transfers
// and unusable outputs.
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kSeriesNotWhole = 53020;   // the series data did not parse whole: nothing saved
constexpr uint32_t kOutputIsSettings = 53021; // the output is the settings file or its lock file

} // namespace Cli
