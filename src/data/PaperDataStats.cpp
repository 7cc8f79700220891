// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperData: conversion to R values, statistics of a series, sorting.
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "data/PaperData.h"

uint8_t CPaperData::ConvertValue(uint8_t b, uint8_t factor)
{
    // Single precision, as the instrument computes it: the nearest half
    // step, halves rounded up.
    const float v = static_cast<float>(factor) * 0.5f / 100.0f * static_cast<float>(b) * 0.5f;
    // The value is never negative, so the integer conversion truncates.
    const int steps = static_cast<int>(2.0f * v + 0.5f);
    return steps >= 255 ? uint8_t{255} : static_cast<uint8_t>(steps);
}

namespace {

// sqrt((n·Σx² − (Σx)²) / (n·(n − 1))).  Rounding in single precision can
// make the numerator slightly negative for equal values; it is taken as 0.
float StdDev(float n, float sum, float sumSquares)
{
    const float numerator = n * sumSquares - sum * sum;
    if (!(numerator > 0.0f))
        return 0.0f;
    return std::sqrt(numerator / (n * (n - 1.0f)));
}

} // namespace

SeriesStatistics CPaperData::ComputeStatistics(const probe_meas_t& series)
{
    SeriesStatistics st;
    const size_t count = series.impacts.size();
    if (count == 0) {
        st.stdDevQ = kMissingValue;
        st.stdDevR = kMissingValue;
        return st;
    }
    // The factor 200 (100 %) converts every value to itself.
    const bool convert = series.head.rFlag != 0 && series.head.factor != 200;
    const uint8_t factor = series.head.factor;
    float sumQ = 0, sumQ2 = 0, sumR = 0, sumR2 = 0, sumE = 0;
    float minR = 0, maxR = 0;
    bool first = true;
    for (const MEAS_T& m : series.impacts) {
        const float q = static_cast<float>(m.value) * 0.5f;
        const uint8_t rb = convert ? ConvertValue(m.value, factor) : m.value;
        const float r = static_cast<float>(rb) * 0.5f;
        sumQ += q;
        sumQ2 += q * q;
        sumR += r;
        sumR2 += r * r;
        sumE += static_cast<float>(m.energy) / 1000.0f;
        if (first || r < minR)
            minR = r;
        if (first || r > maxR)
            maxR = r;
        first = false;
    }
    const float n = static_cast<float>(count);
    st.meanQ = sumQ / n;
    st.meanR = sumR / n;
    if (count > 1) {
        st.stdDevQ = StdDev(n, sumQ, sumQ2);
        st.stdDevR = StdDev(n, sumR, sumR2);
    }
    st.minR = minR;
    st.maxR = maxR;
    st.range = maxR - minR;
    st.meanEnergy = sumE / n;
    return st;
}

SeriesStatistics CPaperData::ComputeStatistics(int i) const
{
    return ComputeStatistics(At(i));
}

namespace {

// Sort keys need only part of the statistics; each is computed the same way
// (single precision, same order of operations) as ComputeStatistics does.
float MeanQKey(const probe_meas_t& s)
{
    if (s.impacts.empty())
        return 0.0f;
    float sum = 0;
    for (const MEAS_T& m : s.impacts)
        sum += static_cast<float>(m.value) * 0.5f;
    return sum / static_cast<float>(s.impacts.size());
}

float StdDevQKey(const probe_meas_t& s)
{
    const size_t count = s.impacts.size();
    if (count == 0)
        return CPaperData::kMissingValue;
    if (count == 1)
        return 0.0f;
    float sum = 0, sumSquares = 0;
    for (const MEAS_T& m : s.impacts) {
        const float q = static_cast<float>(m.value) * 0.5f;
        sum += q;
        sumSquares += q * q;
    }
    return StdDev(static_cast<float>(count), sum, sumSquares);
}

float RangeKey(const probe_meas_t& s)
{
    if (s.impacts.empty())
        return 0.0f;
    uint8_t lo = 255, hi = 0;
    for (const MEAS_T& m : s.impacts) {
        lo = std::min(lo, m.value);
        hi = std::max(hi, m.value);
    }
    // Conversion keeps the order of values, so the extremes convert alone.
    if (s.head.rFlag != 0 && s.head.factor != 200) {
        lo = CPaperData::ConvertValue(lo, s.head.factor);
        hi = CPaperData::ConvertValue(hi, s.head.factor);
    }
    return static_cast<float>(hi) * 0.5f - static_cast<float>(lo) * 0.5f;
}

float MeanEnergyKey(const probe_meas_t& s)
{
    if (s.impacts.empty())
        return 0.0f;
    float sum = 0;
    for (const MEAS_T& m : s.impacts)
        sum += static_cast<float>(m.energy) / 1000.0f;
    return sum / static_cast<float>(s.impacts.size());
}

// The numeric sort key of a series for an ascending mode.
double NumericKey(const probe_meas_t& s, uint8_t ascMode)
{
    switch (ascMode) {
    case CPaperData::sortCounter:
        return s.head.counter;
    case CPaperData::sortDateTime:
        return s.head.dateTime;
    case CPaperData::sortMeanQ:
        return MeanQKey(s);
    case CPaperData::sortLowerLimit:
        return s.head.lowerLimit;
    case CPaperData::sortUpperLimit:
        return s.head.upperLimit;
    case CPaperData::sortStdDevQ:
        return StdDevQKey(s);
    case CPaperData::sortImpactCount:
        return static_cast<double>(s.impacts.size());
    case CPaperData::sortRange:
        return RangeKey(s);
    case CPaperData::sortMeanEnergy:
        return MeanEnergyKey(s);
    default:
        return 0;
    }
}

// The first sixteen characters of a roll ID (the length of the instrument's
// IDs) packed so that comparing the keys compares the texts by character
// codes; equal keys fall back to comparing the whole texts.
struct RollIdKey {
    std::array<uint64_t, 4> packed{};
    size_t index = 0;
};

RollIdKey MakeRollIdKey(const std::u16string& id, size_t index)
{
    RollIdKey key;
    key.index = index;
    const size_t n = std::min<size_t>(id.size(), 16);
    for (size_t k = 0; k < n; ++k)
        key.packed[k / 4] |= static_cast<uint64_t>(id[k]) << (48 - 16 * (k % 4));
    return key;
}

bool IsSortable(uint8_t ascMode)
{
    switch (ascMode) {
    case CPaperData::sortCounter:
    case CPaperData::sortDateTime:
    case CPaperData::sortRollId:
    case CPaperData::sortMeanQ:
    case CPaperData::sortLowerLimit:
    case CPaperData::sortUpperLimit:
    case CPaperData::sortStdDevQ:
    case CPaperData::sortImpactCount:
    case CPaperData::sortRange:
    case CPaperData::sortMeanEnergy:
        return true;
    default:
        return false;
    }
}

} // namespace

void CPaperData::Sort(uint8_t mode)
{
    m_sortMode = mode;
    if (mode == 0)
        return;
    const uint8_t ascMode = (mode & 1) != 0 ? mode : static_cast<uint8_t>(mode - 1);
    const bool descending = (mode & 1) == 0;
    if (!IsSortable(ascMode) || m_series.size() < 2)
        return;

    // Keys are computed once per series; the sort moves only (key, index) pairs.
    const size_t n = m_series.size();
    std::vector<size_t> order(n);
    if (ascMode == sortRollId) {
        std::vector<RollIdKey> keyed(n);
        for (size_t k = 0; k < n; ++k)
            keyed[k] = MakeRollIdKey(m_series[k]->rollId, k);
        auto less = [this](const RollIdKey& a, const RollIdKey& b) {
            if (a.packed != b.packed)
                return a.packed < b.packed;
            return m_series[a.index]->rollId < m_series[b.index]->rollId;
        };
        if (descending)
            std::sort(keyed.begin(), keyed.end(), [&](const RollIdKey& a, const RollIdKey& b) { return less(b, a); });
        else
            std::sort(keyed.begin(), keyed.end(), less);
        for (size_t k = 0; k < n; ++k)
            order[k] = keyed[k].index;
    } else {
        std::vector<std::pair<double, size_t>> keyed(n);
        for (size_t k = 0; k < n; ++k)
            keyed[k] = {NumericKey(*m_series[k], ascMode), k};
        if (descending)
            std::sort(keyed.begin(), keyed.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
        else
            std::sort(keyed.begin(), keyed.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t k = 0; k < n; ++k)
            order[k] = keyed[k].second;
    }

    std::vector<std::unique_ptr<probe_meas_t>> sorted(n);
    for (size_t k = 0; k < n; ++k)
        sorted[k] = std::move(m_series[order[k]]);
    m_series.swap(sorted);
}
