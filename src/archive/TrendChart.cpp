// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/TrendChart.h"

#include <algorithm>
#include <cmath>

namespace Archive {

namespace {

// Means are averages of half steps; the centre line and the limits come out
// of further sums, so "on the line" allows for rounding in the last digits
// (otherwise equal means could land a hair beyond their own centre line).
double Tolerance(double centre)
{
    return 1e-9 * std::max(1.0, std::fabs(centre));
}

} // namespace

STrendChart MakeTrendChart(const std::vector<SArchivedRevision>& found)
{
    STrendChart chart;
    bool unitChosen = false;
    for (size_t i = 0; i < found.size(); ++i) {
        const SArchivedRevision& r = found[i];
        if (!r.mean || r.impactCount <= 0) {
            ++chart.leftOut;
            continue;
        }
        const uint8_t unit = r.rFlag == 1 ? 1 : 0;
        if (!unitChosen) {
            chart.rFlag = unit;
            unitChosen = true;
        } else if (unit != chart.rFlag) {
            ++chart.leftOut;
            continue;
        }
        STrendPoint p;
        p.found = i;
        p.archiveId = r.measurementId;
        p.dateTime = r.dateTime;
        p.rollId = r.rollId;
        p.mean = *r.mean;
        p.minimum = r.minimum.value_or(*r.mean);
        p.maximum = r.maximum.value_or(*r.mean);
        p.covPercent = r.covPercent;
        chart.points.push_back(std::move(p));
    }
    // The series' limits as lines only when they are the same for all.
    bool same = !chart.points.empty();
    std::optional<uint8_t> lower, upper;
    for (const STrendPoint& p : chart.points) {
        const SArchivedRevision& r = found[p.found];
        if (!lower) {
            lower = r.lowerLimit;
            upper = r.upperLimit;
        } else if (*lower != r.lowerLimit || *upper != r.upperLimit) {
            same = false;
            break;
        }
    }
    if (same && !(*lower == 0 && *upper == 200)) {
        chart.lowerLimit = lower;
        chart.upperLimit = upper;
    }
    ComputeControlLimits(chart);
    return chart;
}

void ComputeControlLimits(STrendChart& chart)
{
    std::vector<STrendPoint>& points = chart.points;
    chart.centreLine.reset();
    chart.sigma.reset();
    chart.lowerControlLimit.reset();
    chart.upperControlLimit.reset();
    if (points.empty())
        return;
    double sum = 0;
    for (const STrendPoint& p : points)
        sum += p.mean;
    const double centre = sum / static_cast<double>(points.size());
    chart.centreLine = centre;
    double rangeSum = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        points[i].movingRange.reset();
        points[i].beyond = points[i].run = false;
        if (i > 0) {
            points[i].movingRange = std::fabs(points[i].mean - points[i - 1].mean);
            rangeSum += *points[i].movingRange;
        }
    }
    const double eps = Tolerance(centre);
    if (points.size() >= 2) {
        const double sigma = rangeSum / static_cast<double>(points.size() - 1) / kMovingRangeD2;
        chart.sigma = sigma;
        chart.lowerControlLimit = centre - 3 * sigma;
        chart.upperControlLimit = centre + 3 * sigma;
        for (STrendPoint& p : points)
            p.beyond = p.mean > *chart.upperControlLimit + eps || p.mean < *chart.lowerControlLimit - eps;
    }
    // Runs: a point on the centre line belongs to neither side and ends a run.
    int side = 0, length = 0;
    for (STrendPoint& p : points) {
        const int s = p.mean > centre + eps ? 1 : p.mean < centre - eps ? -1 : 0;
        length = s != 0 && s == side ? length + 1 : (s != 0 ? 1 : 0);
        side = s;
        p.run = length >= kRunLength;
    }
}

std::string TrendRule(const STrendPoint& point)
{
    if (point.beyond && point.run)
        return "beyond run";
    if (point.beyond)
        return "beyond";
    if (point.run)
        return "run";
    return std::string();
}

} // namespace Archive
