// SPDX-License-Identifier: GPL-3.0-or-later
// The printed page's arithmetic without a printer: the frame's bands in
// character widths and lines, rows over pages, columns split over pages,
// the summary's single page.
#include <gtest/gtest.h>

#include <vector>

#include "views/print/PrintLayout.h"

using namespace PrintLayout;

namespace {

TEST(PrintLayout, FrameBandsCountInCharactersAndLines)
{
    const SFrameMetrics m{6.0, 13.0};
    EXPECT_DOUBLE_EQ(AverageCharWidth(312.0), 6.0);   // the 52 letters
    const SPageRegions r = PageRegions(700, 1000, m);
    // Left and right margins of 4 characters.
    EXPECT_DOUBLE_EQ(r.header.x, 24);
    EXPECT_DOUBLE_EQ(r.header.width, 700 - 48);
    EXPECT_DOUBLE_EQ(r.body.x, 24);
    // Top margin 1 line, header 2 lines, gap 1 line; then the body; gap,
    // footer 2 lines and bottom margin 1 line at the bottom.
    EXPECT_DOUBLE_EQ(r.header.y, 13);
    EXPECT_DOUBLE_EQ(r.header.height, 26);
    EXPECT_DOUBLE_EQ(r.body.y, 52);
    EXPECT_DOUBLE_EQ(r.footer.y, 1000 - 39);
    EXPECT_DOUBLE_EQ(r.footer.height, 26);
    EXPECT_DOUBLE_EQ(r.body.Bottom(), 1000 - 52);
    EXPECT_DOUBLE_EQ(r.body.height, 1000 - 8 * 13);
}

TEST(PrintLayout, RowsFillPagesUnderTheHeaderRow)
{
    // Body 100 high, header row 26: 74 for rows of 22 -> 3 rows a page.
    const std::vector<int> rows(7, 22);
    const std::vector<SRowPage> pages = DistributeRows(rows, 100, 26);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].first, 0);
    EXPECT_EQ(pages[0].last, 3);
    EXPECT_EQ(pages[1].first, 3);
    EXPECT_EQ(pages[1].last, 6);
    EXPECT_EQ(pages[2].first, 6);
    EXPECT_EQ(pages[2].last, 7);
}

TEST(PrintLayout, ARowTallerThanThePageGetsAPageOfItsOwn)
{
    const std::vector<SRowPage> pages = DistributeRows({22, 500, 22, 22}, 100, 26);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].last, 1);
    EXPECT_EQ(pages[1].first, 1);
    EXPECT_EQ(pages[1].last, 2);
    EXPECT_EQ(pages[2].last, 4);
    // No rows: one page with the header row.
    const std::vector<SRowPage> none = DistributeRows({}, 100, 26);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].first, none[0].last);
}

TEST(PrintLayout, ColumnsThatDoNotFitAreSplitOverPages)
{
    const std::vector<int> widths = {100, 120, 200, 100, 0, 300, 900};
    const std::vector<SColumnPage> pages = SplitColumns(widths, 450);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].first, 0);
    EXPECT_EQ(pages[0].last, 2);
    EXPECT_EQ(pages[0].width, 420);
    // A hidden column joins its group.
    EXPECT_EQ(pages[1].first, 3);
    EXPECT_EQ(pages[1].last, 5);
    EXPECT_EQ(pages[1].width, 400);
    // Wider than the page: alone on its page.
    EXPECT_EQ(pages[2].first, 6);
    EXPECT_EQ(pages[2].last, 6);
    // A table that fits is one column page.
    EXPECT_EQ(SplitColumns(widths, 2000).size(), 1u);
    EXPECT_TRUE(SplitColumns({}, 450).empty());
}

TEST(PrintLayout, SummaryPageIsTheLayoutWidthPlusOneCharacterWide)
{
    // A4 portrait printable area 4760 x 6736 pixels.
    const SSummaryPage page = SummaryPage(800, 6.0, 4760, 6736);
    EXPECT_DOUBLE_EQ(page.width, 806);
    EXPECT_NEAR(page.height, 806 * 6736.0 / 4760.0, 1e-9);
    EXPECT_DOUBLE_EQ(page.originX, -6);
    // A drawing taller than the body is scaled down to fit, never up.
    EXPECT_DOUBLE_EQ(FitScale(900, 1000), 1.0);
    EXPECT_DOUBLE_EQ(FitScale(2000, 1000), 0.5);
    EXPECT_DOUBLE_EQ(FitScale(0, 1000), 1.0);
}

} // namespace

namespace {

// The parts of a page as (item, detail) pairs.
std::vector<std::pair<int, bool>> Parts(const SPageRows& page)
{
    std::vector<std::pair<int, bool>> parts;
    for (const SRowPart& part : page.parts)
        parts.emplace_back(part.item, part.detail);
    return parts;
}

TEST(PrintLayout, ASeriesRowAndItsDetailShareAPage)
{
    // Body 200, header 26: 174 for rows.  Series 0 (22 + 100) fits; series
    // 1 (22 + 60) would leave its graph for the next page: both move.
    const std::vector<SPageRows> pages = DistributeSeries({{22, 100}, {22, 60}, {22, 0}, {22, 0}}, 200, 26);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Parts(pages[0]), (std::vector<std::pair<int, bool>>{{0, false}, {0, true}}));
    EXPECT_EQ(Parts(pages[1]), (std::vector<std::pair<int, bool>>{{1, false}, {1, true}, {2, false}, {3, false}}));
    // A closed series alone fills the room exactly: 174 = 22 + 152.
    EXPECT_EQ(DistributeSeries({{22, 152}, {22, 0}}, 200, 26).size(), 2u);
    EXPECT_EQ(DistributeSeries({{22, 130}, {22, 0}}, 200, 26).size(), 1u);
    // No series: one page with the header row.
    const std::vector<SPageRows> none = DistributeSeries({}, 200, 26);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_TRUE(none[0].parts.empty());
}

TEST(PrintLayout, ADetailTallerThanAPageGoesOnUnderItsRepeatedRow)
{
    // Room 174: a detail of 400 under its 22-pixel row takes 152 a page:
    // 152 + 152 + 96, each page starting with the row again.  The series
    // before it keeps its page; the one after joins the last slice.
    const std::vector<SPageRows> pages = DistributeSeries({{22, 0}, {22, 400}, {22, 0}}, 200, 26);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(Parts(pages[0]), (std::vector<std::pair<int, bool>>{{0, false}}));
    int offset = 0;
    for (size_t p = 1; p <= 3; ++p) {
        ASSERT_GE(pages[p].parts.size(), 2u) << p;
        EXPECT_EQ(pages[p].parts[0].item, 1);
        EXPECT_FALSE(pages[p].parts[0].detail);
        const SRowPart& slice = pages[p].parts[1];
        EXPECT_TRUE(slice.detail);
        EXPECT_EQ(slice.offset, offset);
        EXPECT_EQ(slice.height, p < 3 ? 152 : 96);
        offset += slice.height;
    }
    EXPECT_EQ(offset, 400);
    EXPECT_EQ(Parts(pages[3]), (std::vector<std::pair<int, bool>>{{1, false}, {1, true}, {2, false}}));
    // A page too low for the row still ends: one pixel of detail a page.
    EXPECT_EQ(DistributeSeries({{22, 3}}, 40, 26).size(), 3u);
}

} // namespace
