// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of brelmora-cli archive trend (55000-55019).
#pragma once

#include <cstdint>

namespace Cli {

constexpr uint32_t kTrendUsage = 55000;     // the usage lines, printed after the archive's
constexpr uint32_t kTrendSummary = 55001;   // %d series, %s centre, %s lower, %s upper, %d beyond, %d runs
constexpr uint32_t kTrendLeftOut = 55002;   // %d series left out
constexpr uint32_t kTrendNothing = 55003;

} // namespace Cli
