// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/print/PrintLayout.h"

#include <algorithm>
#include <cmath>

namespace PrintLayout {

double AverageCharWidth(double widthOfAverageCharText)
{
    return widthOfAverageCharText / static_cast<double>(kAverageCharText.size());
}

SPageRegions PageRegions(double width, double height, const SFrameMetrics& metrics)
{
    const double w = metrics.charWidth;
    const double line = metrics.lineHeight;
    const double left = kLeftMarginChars * w;
    const double inner = std::max(width - (kLeftMarginChars + kRightMarginChars) * w, 1.0);
    SPageRegions r;
    r.header = SRect{left, kTopMarginLines * line, inner, kHeaderLines * line};
    r.footer = SRect{left, height - (kBottomMarginLines + kFooterLines) * line, inner, kFooterLines * line};
    const double bodyTop = r.header.Bottom() + kGapLines * line;
    const double bodyBottom = r.footer.y - kGapLines * line;
    r.body = SRect{left, bodyTop, inner, std::max(bodyBottom - bodyTop, line)};
    return r;
}

std::vector<SRowPage> DistributeRows(const std::vector<int>& rowHeights, double bodyHeight, int headerHeight)
{
    std::vector<SRowPage> pages;
    const double room = bodyHeight - headerHeight;
    const int count = static_cast<int>(rowHeights.size());
    int first = 0;
    while (first < count) {
        double used = 0;
        int last = first;
        // At least one row per page, so every row is printed somewhere.
        while (last < count && (last == first || used + rowHeights[static_cast<size_t>(last)] <= room)) {
            used += rowHeights[static_cast<size_t>(last)];
            ++last;
        }
        pages.push_back(SRowPage{first, last});
        first = last;
    }
    if (pages.empty())
        pages.push_back(SRowPage{0, 0});
    return pages;
}

std::vector<SPageRows> DistributeSeries(const std::vector<SPrintedPair>& series, double bodyHeight, int headerHeight)
{
    std::vector<SPageRows> pages;
    const double room = bodyHeight - headerHeight;
    SPageRows page;
    double used = 0;
    auto nextPage = [&] {
        pages.push_back(std::move(page));
        page = SPageRows();
        used = 0;
    };
    for (size_t k = 0; k < series.size(); ++k) {
        const int item = static_cast<int>(k);
        const int value = std::max(series[k].valueHeight, 0);
        const int detail = std::max(series[k].detailHeight, 0);
        const int need = value + detail;
        if (!page.parts.empty() && used + need > room)
            nextPage();
        // A pair that fits, or a row alone that does not: at least one
        // series per page, so every series is printed somewhere.
        if (need <= room || detail == 0) {
            page.parts.push_back(SRowPart{item, false, 0, value});
            if (detail > 0)
                page.parts.push_back(SRowPart{item, true, 0, detail});
            used += need;
            continue;
        }
        // A detail taller than a page, in slices under its repeated row.
        const int slice = std::max(1, static_cast<int>(std::floor(room - value)));
        for (int offset = 0; offset < detail; offset += slice) {
            if (offset > 0)
                nextPage();
            const int height = std::min(slice, detail - offset);
            page.parts.push_back(SRowPart{item, false, 0, value});
            page.parts.push_back(SRowPart{item, true, offset, height});
            used = value + height;
        }
    }
    if (!page.parts.empty() || pages.empty())
        pages.push_back(std::move(page));
    return pages;
}

std::vector<SColumnPage> SplitColumns(const std::vector<int>& columnWidths, double availableWidth)
{
    std::vector<SColumnPage> pages;
    const int count = static_cast<int>(columnWidths.size());
    int c = 0;
    while (c < count) {
        SColumnPage page{c, c, columnWidths[static_cast<size_t>(c)]};
        ++c;
        while (c < count && page.width + columnWidths[static_cast<size_t>(c)] <= availableWidth) {
            page.width += columnWidths[static_cast<size_t>(c)];
            page.last = c;
            ++c;
        }
        pages.push_back(page);
    }
    return pages;
}

SSummaryPage SummaryPage(int layoutWidth, double charWidth, double paperWidth, double paperHeight)
{
    SSummaryPage page;
    page.width = layoutWidth + charWidth;
    page.height = paperWidth > 0 ? page.width * paperHeight / paperWidth : page.width;
    page.originX = -charWidth;
    return page;
}

double FitScale(double drawingHeight, double bodyHeight)
{
    if (drawingHeight <= bodyHeight || drawingHeight <= 0 || bodyHeight <= 0)
        return 1.0;
    return bodyHeight / drawingHeight;
}

} // namespace PrintLayout
