// SPDX-License-Identifier: GPL-3.0-or-later
// Axis arithmetic of the series graph, free of any drawing: nice steps,
// the number of intervals that leaves room for the labels, rounding a range
// outward to whole steps, the value range of a series and the bar width.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace GraphAxis {

// A step of the form 1, 2 or 5 x 10^exponent.
struct SStep {
    double value = 1.0;
    int exponent = 0;
};

// The smallest step 1, 2 or 5 x 10^k (k from -11 to 11) that is at least
// range / (intervals - 1); intervals - 1 counts as 1 below 2 intervals.
SStep NiceStep(double range, int intervals);

// Decimals of the labels: -exponent for negative exponents, else 0.
int LabelDecimals(const SStep& step);
// A label: printf "%0.*f" with LabelDecimals.
std::string FormatLabel(double value, const SStep& step);

// The step for an axis of `axisLength` pixels: starting at 100 intervals,
// the count is reduced to range / step of the last try until count + 1
// labels of `labelSize(step)` pixels need no more than 70 % of the axis,
// or one interval is left.
SStep ChooseStep(double range, double axisLength, const std::function<double(const SStep&)>& labelSize);

// Rounds a range outward to multiples of the step: the minimum to the
// multiple below it (one step lower when it already is one, but never below
// 0 when it was not negative), the maximum to the next multiple at or above
// it.
void RoundOutward(double& minimum, double& maximum, double step);

// The value range of a series diagram before rounding: from the values
// (and the limits, unless the series is without limits); 0..90 when that
// is empty or the automatic axis is off; widened by 2.5 on both sides when
// narrower than 5.
struct SRange {
    double minimum = 0;
    double maximum = 90;
};
SRange ValueRange(const std::vector<double>& values, bool withoutLimits, double lowerLimit, double upperLimit,
                  bool autoAxis);

// Bar width and gap for `count` bars in `available` pixels: from 24 (gap 2)
// down by 1 (gap 1) until count x width + (count + 2) x gap fits, or the
// width is 0.
struct SBars {
    int width = 24;
    int gap = 2;
};
SBars BarWidth(int count, int available);

// The measurement numbers under the bars skip this many between two
// numbers: floor(1.3 x widest number text) / (bar width + gap).
int NumberSkip(double widestNumberWidth, const SBars& bars);

} // namespace GraphAxis
