// SPDX-License-Identifier: GPL-3.0-or-later
#include "SeriesGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace Sim {

namespace {

const char* const kGrades[] = {"NP", "LWC", "SC", "KL", "TL", "WLC"};

// Continues a series list: each new series follows the last one in counter
// and time.
void Append(std::vector<SSimSeries>& series, size_t count, std::mt19937& rng)
{
    std::uniform_int_distribution<int> impactsDist(5, 80);
    std::uniform_real_distribution<double> meanDist(35.0, 60.0);
    std::uniform_real_distribution<double> scatterDist(0.8, 3.5);
    std::uniform_int_distribution<int> gapDist(2, 35);       // minutes between rolls
    std::uniform_int_distribution<int> counterStep(1, 3);
    std::uniform_int_distribution<int> limitWidth(5, 10);    // whole Q
    std::uniform_int_distribution<int> percent(0, 99);
    std::normal_distribution<double> energyDist(2.40, 0.06);

    uint16_t counter;
    uint32_t time;
    if (series.empty()) {
        counter = static_cast<uint16_t>(std::uniform_int_distribution<int>(100, 4000)(rng));
        const int dayOffset = std::uniform_int_distribution<int>(0, 200)(rng);
        time = DateTimeToCount(2024, 1, 8, 6, 30, 0) + static_cast<uint32_t>(dayOffset) * 86400u;
    } else {
        counter = series.back().counter;
        time = series.back().dateTime;
    }
    int rollOfDay = 0;
    for (size_t i = 0; i < count; ++i) {
        SSimSeries s;
        counter = static_cast<uint16_t>(counter + counterStep(rng));
        time += static_cast<uint32_t>(gapDist(rng)) * 60u + static_cast<uint32_t>(rng() % 60);
        int y, mo, d, h, mi, se;
        CountToDateTime(time, y, mo, d, h, mi, se);
        if (h >= 18 || h < 6) {
            // The lab works day shifts: the next roll is measured next morning.
            const uint32_t dayStart = time - static_cast<uint32_t>(h * 3600 + mi * 60 + se);
            time = dayStart + (h >= 18 ? 86400u : 0u) + 6u * 3600u +
                   static_cast<uint32_t>(rng() % 1800);
            rollOfDay = 0;
            CountToDateTime(time, y, mo, d, h, mi, se);
        }
        ++rollOfDay;
        s.counter = counter;
        s.dateTime = time;

        char id[32];
        std::snprintf(id, sizeof id, "%s%02d%02d%02d-%02d",
                      kGrades[rng() % (sizeof kGrades / sizeof kGrades[0])], y % 100, mo, d,
                      rollOfDay % 100);
        s.rollId.assign(id, std::min<size_t>(std::strlen(id), ROLL_ID_SIZE));

        const double mean = meanDist(rng);
        std::normal_distribution<double> valueDist(mean, scatterDist(rng));
        const int n = impactsDist(rng);
        for (int k = 0; k < n; ++k) {
            SSimImpact imp;
            const double q = std::clamp(valueDist(rng), 0.0, 127.5);
            imp.value = static_cast<uint8_t>(std::lround(q * 2.0));
            const double e = std::clamp(energyDist(rng), 0.0, 65.535);
            imp.energy = static_cast<uint16_t>(std::lround(e * 1000.0));
            // Now and then an impact the instrument marks as doubtful.
            imp.status = percent(rng) < 3 ? 1 : 0;
            s.impacts.push_back(imp);
        }
        if (percent(rng) < 14) {
            s.lowerLimit = 0;
            s.upperLimit = 200;
        } else {
            const int centre = static_cast<int>(std::lround(mean));
            s.lowerLimit = static_cast<uint8_t>(std::max(0, centre - limitWidth(rng)) * 2);
            s.upperLimit = static_cast<uint8_t>(std::min(100, centre + limitWidth(rng)) * 2);
        }
        series.push_back(std::move(s));
    }
}

} // namespace

std::vector<SSimSeries> GenerateSeries(size_t count, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<SSimSeries> series;
    series.reserve(count);
    Append(series, count, rng);
    return series;
}

void GrowSeriesBeyond(std::vector<SSimSeries>& series, size_t minBytes, uint32_t seed)
{
    std::mt19937 rng(seed ^ 0x5EED1E5Du);
    size_t total = 0;
    for (const SSimSeries& s : series)
        total += SeriesByteSize(s);
    while (total <= minBytes) {
        Append(series, 1, rng);
        total += SeriesByteSize(series.back());
    }
}

std::vector<std::string> GenerateNames(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::string> names;
    const int n = std::uniform_int_distribution<int>(4, 9)(rng);
    for (int i = 0; i < n; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "PM%d %s %03u", 1 + static_cast<int>(rng() % 4),
                      kGrades[rng() % (sizeof kGrades / sizeof kGrades[0])],
                      static_cast<unsigned>(rng() % 1000));
        names.emplace_back(text, std::min<size_t>(std::strlen(text), NAME_TEXT_SIZE));
    }
    return names;
}

} // namespace Sim
