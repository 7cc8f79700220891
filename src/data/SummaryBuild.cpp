// SPDX-License-Identifier: GPL-3.0-or-later
// CSummaryData::Build: the entries of record 0 from the ticked series.
#include <algorithm>
#include <cmath>

#include "data/PaperData.h"
#include "data/SummaryData.h"

namespace {

// Empties the built part of a record; the user's settings stay.
void ResetBuild(summary_probe_meas_t& r)
{
    r.entries.clear();
    r.flags.clear();
    r.serial.clear();
    r.differentSerials = false;
    r.earliest = 0xFFFFFFFFu;
    r.latest = 0;
}

// The entry of one series; each series' statistics are computed once.
MEAS_CONVERTED_T MakeEntry(const probe_meas_t& s, int index)
{
    MEAS_CONVERTED_T e;
    e.rollId = s.rollId;
    e.counter = s.head.counter;
    e.valid = 1;
    e.seriesIndex = static_cast<uint32_t>(index);
    if (s.impacts.empty()) {
        // Without impacts the series has no mean: the entry is kept (it is
        // counted and listed) but left out of the statistics.
        e.value = 0;
        e.convertedMean = CSummaryData::kMissingValue;
        return e;
    }
    const SeriesStatistics st = CPaperData::ComputeStatistics(s);
    const float halfSteps = std::trunc(st.meanQ * 2.0f);   // means lie in 0..127.5
    e.value = static_cast<uint8_t>(std::clamp(halfSteps, 0.0f, 255.0f));
    e.convertedMean = st.meanR;   // the shown values: R with the R flag, else Q
    return e;
}

bool SameSerial(const probe_meas_t& a, const probe_meas_t& b)
{
    // Series of one collection normally share one set of device texts.
    return a.deviceTexts == b.deviceTexts || (*a.deviceTexts)[0] == (*b.deviceTexts)[0];
}

} // namespace

bool CSummaryData::Build(CPaperData& current)
{
    if (!current.HasSeries()) {
        if (summary_probe_meas_t* r = First())
            ResetBuild(*r);
        return false;
    }
    summary_probe_meas_t& record = FirstOrNew();
    ResetBuild(record);

    // The unit: the R flag of the majority of the ticked series, Q on a tie.
    const int count = current.GetCount();
    int qCount = 0, rCount = 0;
    for (int i = 0; i < count; ++i) {
        const probe_meas_t& s = current.GetSeries(i);
        if (!s.inSummary)
            continue;
        if (s.head.rFlag == 0)
            ++qCount;
        else if (s.head.rFlag == 1)
            ++rCount;
    }
    const uint8_t unit = rCount > qCount ? 1 : 0;
    record.head.rFlag = unit;
    record.entries.reserve(static_cast<size_t>(unit == 1 ? rCount : qCount));

    const probe_meas_t* first = nullptr;
    for (int i = 0; i < count; ++i) {
        const probe_meas_t& s = current.GetSeries(i);
        if (!s.inSummary)
            continue;
        if (s.head.rFlag != unit) {
            // Values of another kind cannot be summed up with these.
            current.SetInSummary(i, false);
            continue;
        }
        record.entries.push_back(MakeEntry(s, i));
        const uint32_t stamp = s.head.dateTime;   // packed field: read by value
        record.earliest = std::min(record.earliest, stamp);
        record.latest = std::max(record.latest, stamp);
        if (first == nullptr) {
            first = &s;
            record.head.rFlag = s.head.rFlag;
            record.serial = (*s.deviceTexts)[0];
        } else if (!record.differentSerials && !SameSerial(*first, s)) {
            record.differentSerials = true;
        }
    }
    record.flags.assign(record.entries.size(), 0);
    return true;
}
