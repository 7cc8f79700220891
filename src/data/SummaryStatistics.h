// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics of a summary over its entries: mean or median, standard
// deviations, extremes and range of the series' means, in single precision.
#pragma once

#include <cstdint>

struct summary_probe_meas_t;

struct SummaryStatistics {
    float meanQ = 0;            // mean (median mode: median) of the entries' Q values
    float meanConverted = 0;    // mean (median) of the entries' converted means
    float range = 0;            // maximum - minimum, of the rounded values
    float minimum = 0;          // smallest converted mean, rounded to one decimal
    float maximum = 0;          // largest converted mean, rounded to one decimal
    float stdDevQ = 0;
    float stdDevConverted = 0;
    float meanEnergy = 0;
    int entries = 0;            // entries of the summary
    int used = 0;               // entries with a value (converted mean not 65535)
    int valid = 0;              // used entries marked valid
    bool flag = false;          // always false

    // The mean (or median) and the standard deviation shown for a summary
    // of the unit `rFlag`: of the converted values for R, of the Q values
    // otherwise.
    float ShownMean(uint8_t rFlag) const { return rFlag == 1 ? meanConverted : meanQ; }
    float ShownStdDev(uint8_t rFlag) const { return rFlag == 1 ? stdDevConverted : stdDevQ; }
};

// Computes the statistics of `record` in averaging mode `mode` (2 mean,
// 1 median; any other mode gives no means or deviations) and resets the
// record's per-entry bytes to 0.  Entries whose converted mean is 65535 are
// left out.  The extremes and the range are those of the used entries in
// every mode.  Without any used entry every value is 0.
void ComputeSummaryStatistics(summary_probe_meas_t& record, uint8_t mode, SummaryStatistics& results);
