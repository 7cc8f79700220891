// SPDX-License-Identifier: GPL-3.0-or-later
// The records of the summary: one entry per contributing series
// (MEAS_CONVERTED_T), the sort record of the median (MEAS_OUTLIER_T) and one
// whole summary (summary_probe_meas_t).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/SeriesRecords.h"

// One entry of a summary: what one ticked series contributes.  The first
// three fields are those of MEAS_T, so an entry can be drawn like an impact.
struct MEAS_CONVERTED_T {
    uint8_t value = 0;            // the series' mean Q value in 0.5 Q steps, truncated
    uint16_t energy = 0;          // always 0
    uint8_t status = 0;           // always 0
    float convertedMean = 0;      // mean of the shown values (R with the R flag); 65535 = none
    std::u16string rollId;
    uint16_t counter = 0;         // the series' impact counter
    uint32_t valid = 1;
    uint32_t seriesIndex = 0;     // index in the current collection

    MEAS_T Meas() const { return MEAS_T{value, energy, status}; }
};

#pragma pack(push, 1)

// Sort record of the median: the entry's MEAS_T bytes, its converted mean and
// its position in the entry list (24 bits).
struct MEAS_OUTLIER_T {
    uint8_t value = 0;
    uint16_t energy = 0;
    uint8_t status = 0;
    float convertedMean = 0;
    uint8_t position[3] = {};

    void SetPosition(uint32_t p)
    {
        position[0] = static_cast<uint8_t>(p);
        position[1] = static_cast<uint8_t>(p >> 8);
        position[2] = static_cast<uint8_t>(p >> 16);
    }
    uint32_t GetPosition() const
    {
        return static_cast<uint32_t>(position[0]) | (static_cast<uint32_t>(position[1]) << 8) |
               (static_cast<uint32_t>(position[2]) << 16);
    }
};

#pragma pack(pop)

static_assert(sizeof(MEAS_OUTLIER_T) == 11, "MEAS_OUTLIER_T is 11 bytes");

// One summary.
struct summary_probe_meas_t {
    // Averaging modes.
    static constexpr uint8_t kMedian = 1;
    static constexpr uint8_t kMean = 2;

    SERIES_HEAD_T head;                 // zeroed; its R flag is the summary's unit
    std::vector<MEAS_CONVERTED_T> entries;   // in the order of the current collection
    std::vector<uint8_t> flags;         // one byte per entry, reset by every computation
    std::u16string comment;             // the user's comment on the summary
    std::u16string serial;              // serial number of the first contributing series
    bool differentSerials = false;      // a later series has another serial number
    int16_t displaySetting = -1;        // order of the diagram; -1 not chosen yet
    uint8_t averagingMode = kMean;
    uint32_t earliest = 0xFFFFFFFFu;    // time span of the contributing series
    uint32_t latest = 0;
};
