// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SummaryStatistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/SummaryRecords.h"

namespace {

constexpr float kMissingValue = 65535.0f;

// sqrt((n·Σx² − (Σx)²) / (n·(n − 1))); 0 for fewer than two values.
// Rounding in single precision can make the numerator of equal values
// slightly negative; it is taken as 0.
float StdDev(int count, float sum, float sumSquares)
{
    if (count < 2)
        return 0.0f;
    const float n = static_cast<float>(count);
    const float numerator = n * sumSquares - sum * sum;
    if (!(numerator > 0.0f))
        return 0.0f;
    return std::sqrt(numerator / (n * (n - 1.0f)));
}

// Rounds to one decimal as trunc((x + 0.05) × 10) / 10 through a 16-bit
// integer.  Means lie between 0 and 127.5; the clamp only keeps the
// conversion defined.
float RoundToTenth(float x)
{
    float scaled = std::trunc((x + 0.05f) * 10.0f);
    scaled = std::clamp(scaled, -32768.0f, 32767.0f);
    const int16_t tenths = static_cast<int16_t>(scaled);
    return static_cast<float>(tenths) / 10.0f;
}

// The median records of the used entries, sorted by converted mean.
std::vector<MEAS_OUTLIER_T> SortedOutliers(const summary_probe_meas_t& record, int used)
{
    std::vector<MEAS_OUTLIER_T> sorted;
    sorted.reserve(static_cast<size_t>(used));
    uint32_t position = 0;
    for (const MEAS_CONVERTED_T& e : record.entries) {
        if (e.convertedMean != kMissingValue) {
            MEAS_OUTLIER_T o;
            o.value = e.value;
            o.energy = e.energy;
            o.status = e.status;
            o.convertedMean = e.convertedMean;
            o.SetPosition(position);
            sorted.push_back(o);
        }
        ++position;
    }
    std::sort(sorted.begin(), sorted.end(), [](const MEAS_OUTLIER_T& a, const MEAS_OUTLIER_T& b) {
        return a.convertedMean < b.convertedMean;
    });
    return sorted;
}

} // namespace

void ComputeSummaryStatistics(summary_probe_meas_t& record, uint8_t mode, SummaryStatistics& results)
{
    results = SummaryStatistics{};
    record.flags.assign(record.entries.size(), 0);
    results.entries = static_cast<int>(record.entries.size());

    // One pass over the used entries for the sums and the extremes.
    float sumQ = 0, sumQ2 = 0, sumC = 0, sumC2 = 0, sumE = 0;
    float minimum = 100000.0f, maximum = -100000.0f;
    int used = 0, valid = 0;
    for (const MEAS_CONVERTED_T& e : record.entries) {
        const float c = e.convertedMean;
        if (c == kMissingValue)
            continue;
        ++used;
        if (e.valid != 0)
            ++valid;
        const float q = static_cast<float>(e.value) * 0.5f;
        sumQ += q;
        sumQ2 += q * q;
        sumC += c;
        sumC2 += c * c;
        sumE += static_cast<float>(e.energy) / 1000.0f;
        minimum = std::min(minimum, c);
        maximum = std::max(maximum, c);
    }
    results.used = used;
    results.valid = valid;
    if (used == 0)
        return;   // nothing to divide by: every value stays 0

    const float n = static_cast<float>(used);
    switch (mode) {
    case summary_probe_meas_t::kMean:
        results.meanQ = sumQ / n;
        results.meanConverted = sumC / n;
        break;
    case summary_probe_meas_t::kMedian: {
        const std::vector<MEAS_OUTLIER_T> sorted = SortedOutliers(record, used);
        const size_t count = sorted.size();
        if (count % 2 != 0) {
            const MEAS_OUTLIER_T& mid = sorted[(count - 1) / 2];
            results.meanQ = static_cast<float>(mid.value) * 0.5f;
            results.meanConverted = mid.convertedMean;
        } else {
            const MEAS_OUTLIER_T& lo = sorted[count / 2 - 1];
            const MEAS_OUTLIER_T& hi = sorted[count / 2];
            results.meanQ = (static_cast<float>(lo.value) * 0.5f + static_cast<float>(hi.value) * 0.5f) / 2.0f;
            results.meanConverted = (lo.convertedMean + hi.convertedMean) / 2.0f;
        }
        break;
    }
    default:
        break;
    }
    if (mode == summary_probe_meas_t::kMean || mode == summary_probe_meas_t::kMedian) {
        results.stdDevQ = StdDev(used, sumQ, sumQ2);
        results.stdDevConverted = StdDev(used, sumC, sumC2);
        results.meanEnergy = sumE / n;
    }

    results.minimum = RoundToTenth(minimum);
    results.maximum = RoundToTenth(maximum);
    results.range = results.maximum - results.minimum;
}
