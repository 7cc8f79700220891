// SPDX-License-Identifier: GPL-3.0-or-later
// The control chart of the trend against values worked out by hand: centre
// line, sigma from the average moving range, limits, the beyond and run
// marks, and which found series the chart shows.
#include <gtest/gtest.h>

#include "archive/TrendChart.h"
#include "archive/TrendCsv.h"

namespace {

using Archive::STrendChart;

STrendChart ChartOf(const std::vector<double>& means)
{
    STrendChart chart;
    for (double m : means) {
        Archive::STrendPoint p;
        p.mean = p.minimum = p.maximum = m;
        chart.points.push_back(p);
    }
    Archive::ComputeControlLimits(chart);
    return chart;
}

std::vector<std::string> Rules(const STrendChart& chart)
{
    std::vector<std::string> rules;
    for (const Archive::STrendPoint& p : chart.points)
        rules.push_back(Archive::TrendRule(p));
    return rules;
}

Archive::SArchivedRevision Found(int64_t id, std::optional<double> mean, uint8_t rFlag = 0, uint8_t lower = 0,
                                 uint8_t upper = 200)
{
    Archive::SArchivedRevision r;
    r.measurementId = id;
    r.dateTime = 800000000 + static_cast<uint32_t>(id) * 60;
    r.rollId = u"R" + std::u16string(1, static_cast<char16_t>(u'0' + id % 10));
    r.mean = mean;
    r.minimum = mean ? std::optional<double>(*mean - 1) : std::nullopt;
    r.maximum = mean ? std::optional<double>(*mean + 2) : std::nullopt;
    r.impactCount = mean ? 3 : 0;
    r.rFlag = rFlag;
    r.lowerLimit = lower;
    r.upperLimit = upper;
    return r;
}

TEST(TrendControlLimits, FourMeansAsWorkedOutByHand)
{
    // Centre 46/4 = 11.5; moving ranges 2, 1, 2, MR-bar 5/3;
    // sigma = (5/3) / 1.128 = 1.4775414; 3 sigma = 4.4326241.
    const STrendChart chart = ChartOf({10, 12, 11, 13});
    EXPECT_DOUBLE_EQ(*chart.centreLine, 11.5);
    EXPECT_NEAR(*chart.sigma, 1.4775414, 1e-7);
    EXPECT_NEAR(*chart.lowerControlLimit, 7.0673759, 1e-7);
    EXPECT_NEAR(*chart.upperControlLimit, 15.9326241, 1e-7);
    EXPECT_FALSE(chart.points[0].movingRange);
    EXPECT_DOUBLE_EQ(*chart.points[1].movingRange, 2);
    EXPECT_DOUBLE_EQ(*chart.points[2].movingRange, 1);
    EXPECT_EQ(Rules(chart), std::vector<std::string>(4, ""));
}

TEST(TrendControlLimits, OneAndTwoSeries)
{
    // One series: a centre line, but no moving range and so no limits.
    const STrendChart one = ChartOf({42.5});
    EXPECT_DOUBLE_EQ(*one.centreLine, 42.5);
    EXPECT_FALSE(one.sigma);
    EXPECT_FALSE(one.upperControlLimit);
    EXPECT_EQ(Rules(one), std::vector<std::string>{""});
    // Two: centre 12, MR-bar 4, sigma 3.5460993, limits 12 -+ 10.6382979.
    const STrendChart two = ChartOf({10, 14});
    EXPECT_DOUBLE_EQ(*two.centreLine, 12);
    EXPECT_NEAR(*two.lowerControlLimit, 1.3617021, 1e-7);
    EXPECT_NEAR(*two.upperControlLimit, 22.6382979, 1e-7);
    EXPECT_EQ(Rules(two), std::vector<std::string>(2, ""));
    EXPECT_FALSE(ChartOf({}).centreLine);
}

TEST(TrendControlLimits, EqualMeansHaveNoSpreadAndNoMarks)
{
    // Ten times 0.1 sums to a hair under 1: without a tolerance every point
    // would lie beyond a zero-width band and form a run above its centre.
    const STrendChart chart = ChartOf(std::vector<double>(10, 0.1));
    EXPECT_NEAR(*chart.sigma, 0, 1e-15);
    EXPECT_NEAR(*chart.upperControlLimit, 0.1, 1e-15);
    EXPECT_EQ(Rules(chart), std::vector<std::string>(10, ""));
}

TEST(TrendControlLimits, APointExactlyOnTheLimitIsNotBeyond)
{
    // Sum 550 over 11: centre 50; moving ranges sum to 752, MR-bar 75.2,
    // sigma 66.666..., 3 sigma 200: the two points of 250 lie on the upper
    // limit (computed with rounding in the last digit).
    const STrendChart chart = ChartOf({0, 1, 0, 0, 0, 2, 250, 47, 0, 0, 250});
    EXPECT_NEAR(*chart.upperControlLimit, 250, 1e-9);
    EXPECT_NEAR(*chart.lowerControlLimit, -150, 1e-9);
    EXPECT_FALSE(chart.points[6].beyond);
    EXPECT_FALSE(chart.points[10].beyond);
}

TEST(TrendControlLimits, RunsFromTheEighthPointAndBeyondTogether)
{
    // 8 at 0, 7 at 2, one at 12: centre 26/16 = 1.625; moving ranges 2 and
    // 10, MR-bar 12/15 = 0.8, sigma 0.7092199, UCL 3.7526596, LCL -0.5026596.
    std::vector<double> means(8, 0);
    means.insert(means.end(), 7, 2);
    means.push_back(12);
    const STrendChart chart = ChartOf(means);
    EXPECT_NEAR(*chart.upperControlLimit, 3.7526596, 1e-7);
    std::vector<std::string> expected(16, "");
    expected[7] = "run";           // the 8th below the centre line
    expected[15] = "beyond run";   // the 8th above, and beyond the limit
    EXPECT_EQ(Rules(chart), expected);
    // Nine below, then one far above: the run continues to the 9th; the
    // outlier is beyond only.  Centre 11, MR-bar 10/9, UCL 13.9550827.
    std::vector<double> nine(9, 10);
    nine.push_back(20);
    std::vector<std::string> nineRules(10, "");
    nineRules[7] = nineRules[8] = "run";
    nineRules[9] = "beyond";
    EXPECT_EQ(Rules(ChartOf(nine)), nineRules);
}

TEST(TrendControlLimits, APointOnTheCentreLineBreaksTheRun)
{
    // 14 at 0, 7 at 2, one at 1, 7 at 2: sum 29 over 29, centre 1; moving
    // ranges 2 + 1 + 1 = 4, MR-bar 1/7, limits 1 -+ 0.3799392: every 0 and
    // 2 lies beyond; the zeros run from the 8th; the twos never reach 8.
    std::vector<double> means(14, 0);
    means.insert(means.end(), 7, 2);
    means.push_back(1);
    means.insert(means.end(), 7, 2);
    const STrendChart chart = ChartOf(means);
    ASSERT_DOUBLE_EQ(*chart.centreLine, 1);
    EXPECT_NEAR(*chart.upperControlLimit, 1.3799392, 1e-7);
    for (size_t i = 0; i < means.size(); ++i) {
        const std::string expected = i == 21 ? "" : (i >= 7 && i < 14) ? "beyond run" : "beyond";
        EXPECT_EQ(Archive::TrendRule(chart.points[i]), expected) << "point " << i;
    }
}

TEST(TrendChartOfFoundSeries, LeavesOutEmptySeriesAndTheOtherUnit)
{
    const STrendChart chart = Archive::MakeTrendChart(
        {Found(1, std::nullopt), Found(2, 40, 1), Found(3, 41, 0), Found(4, 42, 1), Found(5, 44, 1)});
    ASSERT_EQ(chart.points.size(), 3u);
    EXPECT_EQ(chart.rFlag, 1);
    EXPECT_EQ(chart.leftOut, 2);
    EXPECT_EQ(chart.points[0].archiveId, 2);
    EXPECT_EQ(chart.points[0].found, 1u);
    EXPECT_EQ(chart.points[2].archiveId, 5);
    EXPECT_DOUBLE_EQ(chart.points[2].minimum, 43);
    EXPECT_DOUBLE_EQ(chart.points[2].maximum, 46);
    EXPECT_DOUBLE_EQ(*chart.centreLine, 42);
    EXPECT_TRUE(Archive::MakeTrendChart({}).points.empty());
}

TEST(TrendChartOfFoundSeries, LimitLinesOnlyWhenAllShareRealLimits)
{
    const STrendChart same = Archive::MakeTrendChart({Found(1, 40, 0, 70, 90), Found(2, 41, 0, 70, 90)});
    EXPECT_EQ(same.lowerLimit, std::optional<uint8_t>(70));
    EXPECT_EQ(same.upperLimit, std::optional<uint8_t>(90));
    const STrendChart differ = Archive::MakeTrendChart({Found(1, 40, 0, 70, 90), Found(2, 41, 0, 70, 92)});
    EXPECT_FALSE(differ.lowerLimit);
    const STrendChart none = Archive::MakeTrendChart({Found(1, 40), Found(2, 41)});
    EXPECT_FALSE(none.upperLimit);
}

TEST(TrendCsv, HeaderRowsAndEmptyFields)
{
    std::vector<Archive::SArchivedRevision> found = {Found(7, 10), Found(8, 14)};
    found[0].rollId = u"A,\"1\"";
    found[1].covPercent = 5.25;
    const std::string csv = Archive::EncodeTrendCsv(Archive::MakeTrendChart(found));
    const std::string header = std::string(Archive::kTrendCsvHeader) + "\r\n";
    ASSERT_EQ(csv.substr(0, header.size()), header);
    const size_t second = csv.find("\r\n", header.size()) + 2;
    const std::string row1 = csv.substr(header.size(), second - header.size());
    const std::string row2 = csv.substr(second);
    // The first row has no moving range; the roll ID is quoted.
    EXPECT_NE(row1.find("7,"), std::string::npos);
    EXPECT_NE(row1.find(",\"A,\"\"1\"\"\",10.000,9.000,12.000,,,12.000,1.362,22.638,\r\n"), std::string::npos) << row1;
    EXPECT_NE(row2.find(",R8,14.000,13.000,16.000,5.250,4.000,12.000,1.362,22.638,\r\n"), std::string::npos) << row2;
    EXPECT_EQ(Archive::EncodeTrendCsv(STrendChart()), header);
}

} // namespace
