// SPDX-License-Identifier: GPL-3.0-or-later
// The summary page's layout maths without any widget: the layout width,
// the values list in columns, stacking and the remembered list height, the
// bar widths, the value range, the orders and the label spacing.
#include <gtest/gtest.h>

#include <vector>

#include "views/graph/GraphAxis.h"
#include "views/summary/SummaryLayout.h"

using namespace SummaryLayout;

namespace {

// A values list of `count` texts 30 pixels wide, lines 15 high, a title
// 100 wide and 16 high (first line 19 below the top).
SValueList List(int count, int width = 30)
{
    return SValueList(100, 16, 15, std::vector<int>(static_cast<size_t>(count), width));
}

SPlacement PlaceFor(int client, const SValueList& list, SListHeightMemory& memory, SSize stats = {300, 120},
                    SSize settings = {350, 50})
{
    return Place(client, 20, list, stats, settings, memory, [](int) { return 40; });
}

TEST(SummaryLayout, LayoutWidthIs800UnderAClientOf860)
{
    EXPECT_EQ(LayoutWidth(859), 800);
    EXPECT_EQ(LayoutWidth(300), 800);
    EXPECT_EQ(LayoutWidth(0), 800);
    EXPECT_EQ(LayoutWidth(860), 800);
    EXPECT_EQ(LayoutWidth(861), 801);
    EXPECT_EQ(LayoutWidth(1280), 1220);
    // Narrow clients scroll: the scroll size is never under 800 x 800.
    EXPECT_EQ(ScrollSize(SSize{810, 600}), (SSize{810, 800}));
    EXPECT_EQ(ScrollSize(SSize{1300, 1500}), (SSize{1300, 1500}));
}

TEST(SummaryLayout, ValuesRunInColumnsAt18TimesTheWidestTextSoFar)
{
    // List height 190: (190 - 19) / 15 = 11 lines per column.
    const SValueList list(100, 16, 15, {30, 40, 30, 30, 30, 30, 30, 30, 30, 30, 30, 50, 30, 20});
    EXPECT_EQ(list.LinesPerColumn(190), 11);
    EXPECT_EQ(list.ColumnLefts(190), (std::vector<int>{0, 72}));   // 1.8 x 40
    // The second column reaches 72 + 50; 11 lines below the first line.
    EXPECT_EQ(list.Measure(190), (SSize{122, 19 + 11 * 15}));
    // A short list keeps the title's size as its least.
    EXPECT_EQ(SValueList(100, 16, 15, {30}).Measure(190), (SSize{100, 34}));
    EXPECT_EQ(SValueList(100, 16, 15, {}).Measure(190), (SSize{100, 16}));
    // A list height below one line still gives one line per column.
    EXPECT_EQ(list.LinesPerColumn(5), 1);
    EXPECT_EQ(list.ColumnLefts(5).size(), 14u);
}

TEST(SummaryLayout, WideLayoutsPutTheSettingsBesideTheStatistics)
{
    SListHeightMemory memory;
    const SPlacement p = PlaceFor(1280, List(20), memory);
    EXPECT_FALSE(p.stacked);
    EXPECT_EQ(p.listHeight, kFirstListHeight);
    EXPECT_EQ(p.layoutWidth, 1220);
    EXPECT_EQ(p.blocksTop, kTitleY + 28);   // 1.4 title heights
    EXPECT_EQ(p.diagram.x, kMargin);
    EXPECT_EQ(p.diagram.width, 1200);
    EXPECT_EQ(p.diagram.height, kDiagramHeight);
    EXPECT_EQ(p.values.y, p.diagram.Bottom() + kMargin);
    EXPECT_EQ(p.statistics.x, p.values.Right() + kMargin);
    EXPECT_EQ(p.settings.x, p.statistics.Right() + kMargin);
    EXPECT_EQ(p.settings.y, p.statistics.y);
    EXPECT_EQ(p.comment.x, p.statistics.x);
    EXPECT_EQ(p.comment.y, p.statistics.Bottom() + kMargin);
    EXPECT_EQ(p.comment.width, 1220 - p.statistics.x - kMargin);
    // Nothing is remembered when nothing was stacked.
    EXPECT_EQ(memory.height, 0);
}

TEST(SummaryLayout, NarrowLayoutsStackAndGrowTheListUntilItFits)
{
    // 400 values at 30 pixels: at list height 190 they need 37 columns.
    SListHeightMemory memory;
    const SValueList list = List(400);
    const SPlacement p = PlaceFor(700, list, memory);
    EXPECT_EQ(p.layoutWidth, 800);
    EXPECT_TRUE(p.stacked);
    EXPECT_EQ(p.settings.x, p.statistics.x);
    EXPECT_EQ(p.settings.y, p.statistics.Bottom() + kMargin);
    EXPECT_EQ(p.comment.y, p.settings.Bottom() + kMargin);
    // The list grew in steps of 20 from the stacked height (120 + 10 + 50)
    // until values and statistics fit side by side; 20 less did not fit.
    EXPECT_EQ((p.listHeight - 190) % kListHeightStep, 0);
    EXPECT_LE(kMargin + p.values.width + kMargin + 300 + kMargin, 800);
    EXPECT_GT(kMargin + list.Measure(p.listHeight - kListHeightStep).width + kMargin + 300 + kMargin, 800);
    EXPECT_EQ(memory.height, p.listHeight);
    EXPECT_EQ(memory.clientWidth, 700);
    EXPECT_EQ(memory.entries, 400);
    // The page scrolls: its extent is taller than the 800 shown.
    EXPECT_GT(p.extent.height, 800);
}

TEST(SummaryLayout, TheRememberedListHeightHoldsUntilWidthOrCountChange)
{
    SListHeightMemory memory;
    const SValueList list = List(400);
    const SPlacement first = PlaceFor(700, list, memory);
    // A taller remembered height is kept while client and count are the same...
    memory.height = first.listHeight + 200;
    EXPECT_EQ(PlaceFor(700, list, memory).listHeight, first.listHeight + 200);
    // ...and forgotten when either changes.
    memory.height = first.listHeight + 200;
    EXPECT_EQ(PlaceFor(720, list, memory).listHeight, first.listHeight);
    memory.height = first.listHeight + 200;
    EXPECT_NE(PlaceFor(720, List(401), memory).listHeight, first.listHeight + 200);
}

TEST(SummaryLayout, AListThatCannotFitStopsAtOneColumn)
{
    // One value wider than the whole layout: the list grows until every
    // value stands in one column, and no further.
    SListHeightMemory memory;
    const SValueList list = List(50, 900);
    const SPlacement p = PlaceFor(700, list, memory);
    EXPECT_GE(list.LinesPerColumn(p.listHeight), 50);
    EXPECT_LT(list.LinesPerColumn(p.listHeight - kListHeightStep), 50);
}

TEST(SummaryLayout, BarsShrinkFrom24ToFitTheDiagram)
{
    // The diagram's bars fit its width less two margins less 30.
    const int available = 1200 - 2 * kMargin - 30;
    const GraphAxis::SBars few = GraphAxis::BarWidth(10, available);
    EXPECT_EQ(few.width, 24);
    EXPECT_EQ(few.gap, 2);
    const GraphAxis::SBars many = GraphAxis::BarWidth(200, available);
    EXPECT_EQ(many.gap, 1);
    EXPECT_LE(200 * many.width + 202 * many.gap, available);
    EXPECT_GT(200 * (many.width + 1) + 202, available);
    // More bars than pixels: width 0 (drawn as lines closer than a pixel).
    EXPECT_EQ(GraphAxis::BarWidth(20000, available).width, 0);
}

TEST(SummaryLayout, ValueRangeRunsTo13TimesTheLargestValue)
{
    SValueRange r = ValueRange({40.0f, 52.5f, 47.0f});
    EXPECT_DOUBLE_EQ(r.minimum, 0.0);
    EXPECT_NEAR(r.maximum, 68.25, 1e-4);
    // Entries without a value take no part.
    r = ValueRange({65535.0f, 20.0f});
    EXPECT_NEAR(r.maximum, 26.0, 1e-4);
    // Without any value the range is 0 to 90.
    r = ValueRange({65535.0f});
    EXPECT_DOUBLE_EQ(r.minimum, 0.0);
    EXPECT_DOUBLE_EQ(r.maximum, 90.0);
    EXPECT_DOUBLE_EQ(ValueRange({}).maximum, 90.0);
}

TEST(SummaryLayout, OrderLinkCyclesThroughTheThreeOrdersAndBack)
{
    EXPECT_EQ(NextOrder(0), 1);
    EXPECT_EQ(NextOrder(1), 2);
    EXPECT_EQ(NextOrder(2), 0);
    // Unset: ordered by value in the median mode, else measurement order.
    EXPECT_EQ(EffectiveOrder(-1, false), 0);
    EXPECT_EQ(EffectiveOrder(-1, true), 1);
    EXPECT_EQ(EffectiveOrder(2, true), 2);
    // A setting no order knows (a file written elsewhere) counts as unset.
    EXPECT_EQ(EffectiveOrder(7, false), 0);

    const std::vector<SOrderEntry> entries = {
        {45.0f, u"WFC-2"}, {65535.0f, u"AB-1"}, {41.5f, u"WFC-1"}, {45.0f, u"NP-9"}};
    EXPECT_EQ(EntryOrder(entries, 0), (std::vector<int>{0, 1, 2, 3}));
    // By value: equal values keep their order, no value comes last.
    EXPECT_EQ(EntryOrder(entries, 1), (std::vector<int>{2, 0, 3, 1}));
    EXPECT_EQ(EntryOrder(entries, 2), (std::vector<int>{1, 3, 2, 0}));
}

TEST(SummaryLayout, UprightLabelsSkipBarsWhenTheyWouldOverlap)
{
    EXPECT_EQ(LabelSkip(14, 26), 0);
    EXPECT_EQ(LabelSkip(14, 14), 0);
    EXPECT_EQ(LabelSkip(14, 13), 1);
    EXPECT_EQ(LabelSkip(14, 0.5), 27);
    EXPECT_EQ(LabelSkip(14, 0), 0);
}

} // namespace
