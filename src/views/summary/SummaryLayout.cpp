// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryLayout.h"

#include <cmath>
#include <numeric>

namespace SummaryLayout {

namespace {

constexpr float kNoValue = 65535.0f;

} // namespace

int LayoutWidth(int clientWidth)
{
    return clientWidth < kNarrowClient ? kNarrowWidth : clientWidth - kClientAllowance;
}

SValueList::SValueList(int titleWidth_, int titleHeight_, int lineHeight_, const std::vector<int>& widths)
    : titleWidth(titleWidth_), titleHeight(titleHeight_), lineHeight(std::max(lineHeight_, 1))
{
    const size_t n = widths.size();
    prefixWidest.resize(n);
    suffixWidest.resize(n);
    int widest = 0;
    for (size_t k = 0; k < n; ++k) {
        widest = std::max(widest, widths[k]);
        prefixWidest[k] = widest;
    }
    widest = 0;
    for (size_t k = n; k-- > 0;) {
        widest = std::max(widest, widths[k]);
        suffixWidest[k] = widest;
    }
}

int SValueList::LinesPerColumn(int listHeight) const
{
    // A line fits while its bottom stays within the list height; the
    // first line of a column always stands.
    return std::max((listHeight - FirstLine()) / lineHeight, 1);
}

std::vector<int> SValueList::ColumnLefts(int listHeight) const
{
    std::vector<int> lefts;
    const int n = Count();
    if (n == 0)
        return lefts;
    const int perColumn = LinesPerColumn(listHeight);
    int x = 0;
    for (int first = 0; first < n; first += perColumn) {
        if (first > 0)
            x += static_cast<int>(1.8 * prefixWidest[static_cast<size_t>(first - 1)]);
        lefts.push_back(x);
    }
    return lefts;
}

SSize SValueList::Measure(int listHeight) const
{
    const int n = Count();
    if (n == 0)
        return SSize{titleWidth, titleHeight};
    const int perColumn = LinesPerColumn(listHeight);
    const std::vector<int> lefts = ColumnLefts(listHeight);
    // Every column starts right of everything before it, so the last
    // column reaches farthest.
    const int lastFirst = static_cast<int>(lefts.size() - 1) * perColumn;
    const int right = lefts.back() + suffixWidest[static_cast<size_t>(lastFirst)];
    const int lines = std::min(n, perColumn);
    return SSize{std::max(titleWidth, right), std::max(titleHeight, FirstLine() + lines * lineHeight)};
}

SSize ScrollSize(const SSize& extent)
{
    return SSize{std::max(extent.width, kMinScrollWidth), std::max(extent.height, kMinScrollHeight)};
}

SValueRange ValueRange(const std::vector<float>& values)
{
    float largest = 0;
    bool any = false;
    for (float v : values) {
        if (v == kNoValue || !std::isfinite(v))
            continue;
        largest = any ? std::max(largest, v) : v;
        any = true;
    }
    SValueRange range;
    if (!any || largest <= 0)
        return range;   // 0..90
    range.minimum = 0;
    range.maximum = 1.3 * largest;
    return range;
}

int EffectiveOrder(int16_t displaySetting, bool median)
{
    if (displaySetting >= 0 && displaySetting <= 2)
        return displaySetting;
    return median ? 1 : 0;
}

int NextOrder(int mode)
{
    return (mode + 1) % 3;
}

std::vector<int> EntryOrder(const std::vector<SOrderEntry>& entries, int mode)
{
    std::vector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    if (mode == 1) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const float va = entries[static_cast<size_t>(a)].value;
            const float vb = entries[static_cast<size_t>(b)].value;
            const bool ha = va != kNoValue, hb = vb != kNoValue;
            if (ha != hb)
                return ha;
            return ha && va < vb;
        });
    } else if (mode == 2) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return entries[static_cast<size_t>(a)].rollId < entries[static_cast<size_t>(b)].rollId;
        });
    }
    return order;
}

int LabelSkip(double labelExtent, double pitch)
{
    if (pitch <= 0)
        return 0;
    if (labelExtent <= pitch)
        return 0;
    return static_cast<int>(std::ceil(labelExtent / pitch)) - 1;
}

} // namespace SummaryLayout
