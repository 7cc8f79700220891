// SPDX-License-Identifier: GPL-3.0-or-later
// The graph's axis arithmetic: nice steps, the interval count that leaves
// room for the labels, rounding outward, the value range and the bar width.
#include <gtest/gtest.h>

#include <QString>

#include <cmath>

#include "views/graph/GraphAxis.h"
#include "views/graph/SeriesGraph.h"

using namespace GraphAxis;

TEST(GraphAxis, NiceStepIsTheSmallestOneTwoFiveAtLeastTheShare)
{
    struct Case {
        double range;
        int intervals;
        double step;
        int exponent;
    };
    const Case cases[] = {
        {7.0, 100, 0.1, -1},     // 7 / 99 = 0.0707
        {7.0, 70, 0.2, -1},      // 7 / 69 = 0.101
        {7.0, 35, 0.5, -1},      // 7 / 34 = 0.206
        {90.0, 18, 10.0, 1},     // 90 / 17 = 5.29
        {90.0, 19, 5.0, 0},      // 90 / 18 = 5 exactly
        {3.0, 1, 5.0, 0},        // fewer than 2 intervals: range / 1
        {3.0, 0, 5.0, 0},
        {1e-13, 100, 1e-11, -11},  // below the smallest step
        {1e15, 2, 5e11, 11},       // above the largest step
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        SCOPED_TRACE(c.intervals);
        const SStep step = NiceStep(c.range, c.intervals);
        EXPECT_NEAR(step.value, c.step, c.step * 1e-9);
        EXPECT_EQ(step.exponent, c.exponent);
    }
}

TEST(GraphAxis, LabelsGetOneDecimalPerNegativeExponent)
{
    EXPECT_EQ(FormatLabel(37.5, NiceStep(7.0, 35)), "37.5");
    EXPECT_EQ(FormatLabel(40.0, NiceStep(90.0, 18)), "40");
    EXPECT_EQ(FormatLabel(0.25, SStep{0.05, -2}), "0.25");
    // A value that is zero up to rounding prints without a sign.
    EXPECT_EQ(FormatLabel(-1e-12, SStep{0.1, -1}), "0.0");
    EXPECT_EQ(LabelDecimals(SStep{1000, 3}), 0);
}

TEST(GraphAxis, ChooseStepReducesTheIntervalsUntilTheLabelsFit)
{
    // 0..90 on 200 pixels with 13-pixel labels: 100 -> 90 -> 45 -> 18 intervals.
    const SStep step = ChooseStep(90.0, 200.0, [](const SStep&) { return 13.0; });
    EXPECT_DOUBLE_EQ(step.value, 10.0);
    // Labels that never fit end with one interval.
    const SStep one = ChooseStep(90.0, 10.0, [](const SStep&) { return 50.0; });
    EXPECT_GE(one.value, 90.0);
    // A tall axis keeps fine steps.
    EXPECT_DOUBLE_EQ(ChooseStep(7.0, 5000.0, [](const SStep&) { return 10.0; }).value, 0.1);
}

TEST(GraphAxis, RoundOutwardToWholeSteps)
{
    double lo = 37.5, hi = 44.5;
    RoundOutward(lo, hi, 1.0);
    EXPECT_DOUBLE_EQ(lo, 37.0);
    EXPECT_DOUBLE_EQ(hi, 45.0);

    // A minimum on a step goes one step lower, but not below 0 when it was
    // not negative; a maximum on a step stays.
    lo = 40.0, hi = 60.0;
    RoundOutward(lo, hi, 10.0);
    EXPECT_DOUBLE_EQ(lo, 30.0);
    EXPECT_DOUBLE_EQ(hi, 60.0);
    lo = 0.0, hi = 90.0;
    RoundOutward(lo, hi, 10.0);
    EXPECT_DOUBLE_EQ(lo, 0.0);
    EXPECT_DOUBLE_EQ(hi, 90.0);
    lo = -2.5, hi = 3.0;
    RoundOutward(lo, hi, 2.0);
    EXPECT_DOUBLE_EQ(lo, -4.0);
    EXPECT_DOUBLE_EQ(hi, 4.0);
    // Steps that are not exact in binary still round to multiples.
    lo = 0.3, hi = 0.7;
    RoundOutward(lo, hi, 0.1);
    EXPECT_NEAR(lo, 0.2, 1e-12);
    EXPECT_NEAR(hi, 0.7, 1e-12);
}

TEST(GraphAxis, ValueRangeOfASeries)
{
    // No impacts and no limits: 0..90.
    SRange r = ValueRange({}, true, 0, 100, true);
    EXPECT_DOUBLE_EQ(r.minimum, 0);
    EXPECT_DOUBLE_EQ(r.maximum, 90);
    // All values equal without limits: 0..90, also with the automatic axis.
    r = ValueRange({45, 45, 45}, true, 0, 100, true);
    EXPECT_DOUBLE_EQ(r.maximum, 90);
    // A narrow range is widened by 2.5 on both sides.
    r = ValueRange({40.0, 41.5, 42.0}, true, 0, 100, true);
    EXPECT_DOUBLE_EQ(r.minimum, 37.5);
    EXPECT_DOUBLE_EQ(r.maximum, 44.5);
    // Limits widen the range unless the series has none.
    r = ValueRange({40.0, 42.0}, false, 30.0, 60.0, true);
    EXPECT_DOUBLE_EQ(r.minimum, 30.0);
    EXPECT_DOUBLE_EQ(r.maximum, 60.0);
    // The fixed axis ignores everything.
    r = ValueRange({40.0, 42.0}, false, 30.0, 60.0, false);
    EXPECT_DOUBLE_EQ(r.minimum, 0.0);
    EXPECT_DOUBLE_EQ(r.maximum, 90.0);
    // Limits alone give a range (a series without impacts but with limits).
    r = ValueRange({}, false, 20.0, 80.0, true);
    EXPECT_DOUBLE_EQ(r.minimum, 20.0);
    EXPECT_DOUBLE_EQ(r.maximum, 80.0);
}

TEST(GraphAxis, BarWidthShrinksUntilTheBarsFit)
{
    SBars b = BarWidth(10, 1000);
    EXPECT_EQ(b.width, 24);
    EXPECT_EQ(b.gap, 2);
    b = BarWidth(50, 750);   // 50 w + 52 <= 750: w = 13
    EXPECT_EQ(b.width, 13);
    EXPECT_EQ(b.gap, 1);
    b = BarWidth(255, 750);   // 255 w + 257 <= 750: w = 1
    EXPECT_EQ(b.width, 1);
    b = BarWidth(255, 100);   // nothing fits: width 0
    EXPECT_EQ(b.width, 0);
    EXPECT_EQ(BarWidth(0, 10).width, 24);
    // Every bar numbered while the numbers fit, else every k+1-th.
    EXPECT_EQ(NumberSkip(14.0, SBars{24, 2}), 0);
    EXPECT_EQ(NumberSkip(14.0, SBars{3, 1}), 4);   // floor(18.2) / 4
    EXPECT_EQ(NumberSkip(14.0, SBars{0, 0}), 0);
}

TEST(GraphAxis, CommentWrapsAtSpacesAndLineBreaks)
{
    const auto width = [](const QString& t) { return static_cast<double>(t.size()); };
    EXPECT_EQ(CSeriesGraph::WrapText(QStringLiteral("one two three"), 7, width),
              QStringList({"one two", "three"}));
    EXPECT_EQ(CSeriesGraph::WrapText(QStringLiteral("first\r\nsecond line"), 20, width),
              QStringList({"first", "second line"}));
    // A word longer than the line is broken.
    EXPECT_EQ(CSeriesGraph::WrapText(QStringLiteral("abcdefghij"), 4, width), QStringList({"abcd", "efgh", "ij"}));
    EXPECT_EQ(CSeriesGraph::WrapText(QString(), 10, width), QStringList({""}));
}
