// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/graph/GraphAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace GraphAxis {

namespace {

// Tolerance for "is a multiple of the step" on doubles.
constexpr double kEpsilon = 1e-9;

} // namespace

SStep NiceStep(double range, int intervals)
{
    const double divisor = intervals < 2 ? 1.0 : static_cast<double>(intervals - 1);
    const double wanted = std::fabs(range) / divisor;
    static const double kMantissas[3] = {1.0, 2.0, 5.0};
    SStep step;
    for (int k = -11; k <= 11; ++k) {
        const double scale = std::pow(10.0, k);
        for (double m : kMantissas) {
            step.value = m * scale;
            step.exponent = k;
            if (step.value >= wanted * (1.0 - kEpsilon))
                return step;
        }
    }
    return step;   // 5 x 10^11: the largest step there is
}

int LabelDecimals(const SStep& step)
{
    return step.exponent < 0 ? -step.exponent : 0;
}

std::string FormatLabel(double value, const SStep& step)
{
    // A value that is 0 up to rounding must not print as "-0".
    if (std::fabs(value) < step.value * 1e-6)
        value = 0.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%0.*f", LabelDecimals(step), value);
    return buffer;
}

SStep ChooseStep(double range, double axisLength, const std::function<double(const SStep&)>& labelSize)
{
    int intervals = 100;
    SStep step = NiceStep(range, intervals);
    for (int guard = 0; guard < 200; ++guard) {
        step = NiceStep(range, intervals);
        const double count = std::floor(range / step.value + kEpsilon);
        const double needed = (count + 1.0) * labelSize(step);
        if (needed <= 0.7 * axisLength || intervals <= 1)
            break;
        int next = static_cast<int>(std::min(count, 1e6));
        if (next >= intervals)
            next = intervals - 1;
        intervals = std::max(next, 1);
    }
    return step;
}

void RoundOutward(double& minimum, double& maximum, double step)
{
    if (!(step > 0.0))
        return;
    const bool wasNonNegative = minimum >= 0.0;
    const double lowRatio = minimum / step;
    double low = std::floor(lowRatio + kEpsilon);
    if (std::fabs(lowRatio - std::round(lowRatio)) < kEpsilon)
        low = std::round(lowRatio) - 1.0;
    double newMinimum = low * step;
    if (wasNonNegative && newMinimum < 0.0)
        newMinimum = 0.0;
    const double newMaximum = std::ceil(maximum / step - kEpsilon) * step;
    minimum = newMinimum;
    maximum = std::max(newMaximum, newMinimum + step);
}

SRange ValueRange(const std::vector<double>& values, bool withoutLimits, double lowerLimit, double upperLimit,
                  bool autoAxis)
{
    SRange range;
    double low = 100.0, high = 0.0;
    for (double v : values) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (!withoutLimits) {
        low = std::min(low, lowerLimit);
        high = std::max(high, upperLimit);
    }
    if (low >= high || !autoAxis)
        return range;   // 0..90
    if (high - low < 5.0) {
        low -= 2.5;
        high += 2.5;
    }
    range.minimum = low;
    range.maximum = high;
    return range;
}

SBars BarWidth(int count, int available)
{
    SBars bars;
    if (count <= 0)
        return bars;
    const int64_t n = count;
    while (bars.width > 0) {
        if (n * bars.width + (n + 2) * bars.gap <= available)
            break;
        --bars.width;
        bars.gap = 1;
    }
    return bars;
}

int NumberSkip(double widestNumberWidth, const SBars& bars)
{
    const int pitch = bars.width + bars.gap;
    if (pitch <= 0)
        return 0;
    return static_cast<int>(std::floor(1.3 * widestNumberWidth)) / pitch;
}

} // namespace GraphAxis
