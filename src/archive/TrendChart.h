// SPDX-License-Identifier: GPL-3.0-or-later
// The trend of archived series: an individuals control chart of the series'
// means in measurement order.  Centre line at the mean of the means, control
// limits at +-3 sigma with sigma estimated from the average moving range of
// consecutive means (sigma = MR-bar / 1.128, d2 for ranges of two).  Points
// beyond a control limit and the 8th and later point of a run on one side of
// the centre line are marked.  The chart, the trend CSV and the windowless
// outputs all take their numbers from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/ArchiveRecords.h"

namespace Archive {

// d2 of a range of two consecutive values.
constexpr double kMovingRangeD2 = 1.128;
// A run on one side of the centre line is marked from this point on.
constexpr int kRunLength = 8;

struct STrendPoint {
    size_t found = 0;          // index in the list the chart was made from
    int64_t archiveId = 0;
    uint32_t dateTime = 0;
    std::u16string rollId;
    double mean = 0, minimum = 0, maximum = 0;
    std::optional<double> covPercent;
    std::optional<double> movingRange;   // |mean - previous mean|; none on the first point
    bool beyond = false;                 // outside a control limit
    bool run = false;                    // 8th or later point on one side of the centre line
};

struct STrendChart {
    std::vector<STrendPoint> points;     // in measurement order
    uint8_t rFlag = 0;                   // the unit of every point (1: R, else Q)
    std::optional<double> centreLine;    // none without points
    std::optional<double> sigma;         // none with fewer than two points
    std::optional<double> lowerControlLimit, upperControlLimit;
    // The series' own limits (stored bytes) when every point has the same
    // ones and they are limits at all (not 0..200).
    std::optional<uint8_t> lowerLimit, upperLimit;
    int leftOut = 0;                     // found series not shown: no impacts, or the other unit
};

// The chart of `found` (sorted by measurement time, as Find gives them).
// Series without impacts are left out; so are series of the other unit
// when the found series mix Q and R: the chart keeps the unit of the first
// series with impacts.
STrendChart MakeTrendChart(const std::vector<SArchivedRevision>& found);

// Centre line, sigma, control limits, moving ranges and marks of points
// whose mean, minimum and maximum are set.
void ComputeControlLimits(STrendChart& chart);

// "", "beyond", "run" or "beyond run".
std::string TrendRule(const STrendPoint& point);

} // namespace Archive
