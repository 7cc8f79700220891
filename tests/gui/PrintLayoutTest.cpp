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
