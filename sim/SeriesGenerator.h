// SPDX-License-Identifier: GPL-3.0-or-later
// Realistic generated content: measurement series and series names that a
// Veltrano in a paper mill's lab might hold, reproducible from a seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SimContent.h"

namespace Sim {

// `count` series: Q values around 35 to 60 with scatter, 5 to 80 impacts per
// series, energies near 2.4 J, counters and times increasing (times spread
// over working days), limits mostly set, about one series in seven without
// limits (lower 0, upper 200).  The same seed gives the same series.
std::vector<SSimSeries> GenerateSeries(size_t count, uint32_t seed);

// Adds generated series (continuing counters and times) until the series byte
// stream is larger than `minBytes`.
void GrowSeriesBeyond(std::vector<SSimSeries>& series, size_t minBytes, uint32_t seed);

// A few series names, as a lab would store them.
std::vector<std::string> GenerateNames(uint32_t seed);

} // namespace Sim
