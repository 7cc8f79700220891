// SPDX-License-Identifier: GPL-3.0-or-later
// The summary statistics over the entries of a record.
#include <gtest/gtest.h>

#include <cmath>

#include "data/SummaryRecords.h"
#include "data/SummaryStatistics.h"

namespace {

// A record whose entries have the converted means `means`; the value byte of
// each is given separately (it need not match, as with R values).
summary_probe_meas_t Record(const std::vector<float>& means, const std::vector<uint8_t>& values = {})
{
    summary_probe_meas_t r;
    for (size_t i = 0; i < means.size(); ++i) {
        MEAS_CONVERTED_T e;
        e.convertedMean = means[i];
        // Means beyond the byte's range give the low byte of the half steps, as
        // a real value byte would wrap (a float cast out of range is undefined).
        e.value = i < values.size() ? values[i]
                                    : static_cast<uint8_t>(static_cast<int64_t>(std::trunc(means[i] * 2.0f)) & 0xFF);
        e.seriesIndex = static_cast<uint32_t>(i);
        r.entries.push_back(e);
    }
    return r;
}

SummaryStatistics Compute(summary_probe_meas_t& r, uint8_t mode)
{
    SummaryStatistics st;
    ComputeSummaryStatistics(r, mode, st);
    return st;
}

} // namespace

TEST(SummaryStatistics, MeanModeGivesMeansDeviationsAndRoundedExtremes)
{
    summary_probe_meas_t r = Record({40.04f, 45.06f, 42.5f}, {80, 90, 85});
    r.flags = {9};
    const SummaryStatistics st = Compute(r, summary_probe_meas_t::kMean);
    EXPECT_EQ(st.entries, 3);
    EXPECT_EQ(st.used, 3);
    EXPECT_EQ(st.valid, 3);
    EXPECT_FALSE(st.flag);
    EXPECT_NEAR(st.meanConverted, (40.04 + 45.06 + 42.5) / 3, 1e-4);
    EXPECT_FLOAT_EQ(st.meanQ, 42.5f);
    EXPECT_NEAR(st.stdDevQ, 2.5, 1e-5);           // 40, 45, 42.5
    EXPECT_NEAR(st.stdDevConverted, 2.5100, 1e-3);
    EXPECT_FLOAT_EQ(st.minimum, 40.0f);           // 40.04 rounds down
    EXPECT_FLOAT_EQ(st.maximum, 45.1f);           // 45.06 rounds up
    EXPECT_FLOAT_EQ(st.range, 45.1f - 40.0f);     // from the rounded values
    EXPECT_EQ(st.meanEnergy, 0.0f);
    EXPECT_EQ(r.flags, std::vector<uint8_t>(3, 0));
}

TEST(SummaryStatistics, MedianOfEvenAndOddCountsTakesQFromTheSameRecords)
{
    // Q values deliberately out of step with the converted means: the Q
    // median must come from the records the converted median came from.
    summary_probe_meas_t even = Record({50.0f, 42.0f, 44.0f, 40.0f}, {10, 20, 30, 40});
    const SummaryStatistics st = Compute(even, summary_probe_meas_t::kMedian);
    EXPECT_FLOAT_EQ(st.meanConverted, 43.0f);
    EXPECT_FLOAT_EQ(st.meanQ, 12.5f);   // (10 + 15) / 2 from the 42 and 44 entries
    EXPECT_FLOAT_EQ(st.minimum, 40.0f);
    EXPECT_FLOAT_EQ(st.maximum, 50.0f);
    EXPECT_FLOAT_EQ(st.range, 10.0f);
    EXPECT_GT(st.stdDevConverted, 0.0f);

    summary_probe_meas_t odd = Record({50.0f, 40.0f, 44.0f}, {1, 2, 3});
    const SummaryStatistics st2 = Compute(odd, summary_probe_meas_t::kMedian);
    EXPECT_FLOAT_EQ(st2.meanConverted, 44.0f);
    EXPECT_FLOAT_EQ(st2.meanQ, 1.5f);
}

TEST(SummaryStatistics, OneEntryHasNoDeviation)
{
    for (uint8_t mode : {summary_probe_meas_t::kMean, summary_probe_meas_t::kMedian}) {
        summary_probe_meas_t r = Record({47.3f});
        const SummaryStatistics st = Compute(r, mode);
        EXPECT_FLOAT_EQ(st.meanConverted, 47.3f);
        EXPECT_EQ(st.stdDevQ, 0.0f);
        EXPECT_EQ(st.stdDevConverted, 0.0f);
        EXPECT_FLOAT_EQ(st.minimum, 47.3f);
        EXPECT_FLOAT_EQ(st.maximum, 47.3f);
        EXPECT_EQ(st.range, 0.0f);
    }
}

TEST(SummaryStatistics, EqualValuesNeverGiveANotANumberDeviation)
{
    summary_probe_meas_t r = Record(std::vector<float>(1000, 33.3f));
    const SummaryStatistics st = Compute(r, summary_probe_meas_t::kMean);
    EXPECT_FALSE(std::isnan(st.stdDevConverted));
    EXPECT_LT(st.stdDevConverted, 0.01f);
}

TEST(SummaryStatistics, EntriesWithoutValueAreSkipped)
{
    summary_probe_meas_t r = Record({65535.0f, 40.0f, 65535.0f, 50.0f});
    SummaryStatistics st = Compute(r, summary_probe_meas_t::kMean);
    EXPECT_EQ(st.entries, 4);
    EXPECT_EQ(st.used, 2);
    EXPECT_EQ(st.valid, 2);
    EXPECT_FLOAT_EQ(st.meanConverted, 45.0f);
    EXPECT_FLOAT_EQ(st.maximum, 50.0f);
    st = Compute(r, summary_probe_meas_t::kMedian);
    EXPECT_FLOAT_EQ(st.meanConverted, 45.0f);
    EXPECT_EQ(r.flags.size(), 4u);
}

TEST(SummaryStatistics, NoUsedEntryGivesZerosInsteadOfGarbage)
{
    for (uint8_t mode : {summary_probe_meas_t::kMean, summary_probe_meas_t::kMedian}) {
        summary_probe_meas_t none = Record({65535.0f, 65535.0f});
        const SummaryStatistics st = Compute(none, mode);
        EXPECT_EQ(st.entries, 2);
        EXPECT_EQ(st.used, 0);
        for (float v : {st.meanQ, st.meanConverted, st.stdDevQ, st.stdDevConverted, st.minimum, st.maximum,
                        st.range, st.meanEnergy})
            EXPECT_EQ(v, 0.0f);
        summary_probe_meas_t empty;
        EXPECT_EQ(Compute(empty, mode).entries, 0);
    }
}
