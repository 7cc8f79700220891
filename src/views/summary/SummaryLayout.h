// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of the summary page, free of any drawing: the layout width
// for a client width, the values list in columns, the placement of the
// blocks (diagram, values, statistics, settings, comment) with the stacking
// rule and the remembered list height, the diagram's value range, the
// order of the bars and the spacing of the labels under them.
//
//   +-------------------------------------------------------------+
//   | Summary of Series                                           |
//   | Diagram of series [measurement order]                      |
//   |   (440 high, the whole layout width)                        |
//   +----------------+----------------------+---------------------+
//   | Values of      | Statistics of        | Settings of series  |
//   | series         | summary              |  (under the         |
//   |  (columns)     +----------------------+   statistics when   |
//   |                | Comment              |   stacked)          |
//   +----------------+----------------------+---------------------+
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace SummaryLayout {

constexpr int kMargin = 10;
constexpr int kNarrowClient = 860;      // below it the layout is kNarrowWidth wide
constexpr int kNarrowWidth = 800;
constexpr int kClientAllowance = 60;    // layout width = client width - 60
constexpr int kDiagramHeight = 440;
constexpr int kFirstListHeight = 190;
constexpr int kListHeightStep = 20;
constexpr int kTitleX = kMargin + 10;
constexpr int kTitleY = 20;
constexpr int kMinScrollWidth = 800;
constexpr int kMinScrollHeight = 800;

struct SSize {
    int width = 0;
    int height = 0;
    bool operator==(const SSize&) const = default;
};

struct SRect {
    int x = 0, y = 0, width = 0, height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};

// client - 60, or 800 for a client narrower than 860 pixels.
int LayoutWidth(int clientWidth);

// The values list: its title and one text per entry, measured once.  The
// list starts 1.2 title heights below the title's top; when the next line
// would pass the list height a new column starts, 1.8 x the widest text so
// far to the right.
struct SValueList {
    int titleWidth = 0;
    int titleHeight = 0;
    int lineHeight = 1;
    std::vector<int> prefixWidest;   // widest text of entries 0..k
    std::vector<int> suffixWidest;   // widest text of entries k..n-1

    SValueList() = default;
    SValueList(int titleWidth, int titleHeight, int lineHeight, const std::vector<int>& widths);
    int Count() const { return static_cast<int>(prefixWidest.size()); }
    // Offset of the first line below the block's top.
    int FirstLine() const { return static_cast<int>(1.2 * titleHeight); }
    // Lines of one column for a list height (at least 1).
    int LinesPerColumn(int listHeight) const;
    // Left edges of the columns, relative to the block's left.
    std::vector<int> ColumnLefts(int listHeight) const;
    // The block's size for a list height.
    SSize Measure(int listHeight) const;
};

// The list height found for a stacked layout, kept while the client width
// and the number of entries stay the same.
struct SListHeightMemory {
    int height = 0;
    int clientWidth = -1;
    int entries = -1;

    bool Holds(int client, int count) const { return height > 0 && clientWidth == client && entries == count; }
    void Forget() { *this = SListHeightMemory(); }
};

struct SPlacement {
    int layoutWidth = 0;
    int blocksTop = 0;        // top of the diagram
    SRect diagram;
    SRect values;
    SRect statistics;
    SRect settings;
    SRect comment;            // its height: as measured for its width
    int listHeight = kFirstListHeight;
    bool stacked = false;
    SSize extent;             // everything drawn, with a margin right and below
};

// Places the blocks for a client of `clientWidth` pixels.  `commentHeight`
// gives the comment block's height for a width.  The list height is
// remembered in `memory` (or taken from it while it holds).
template <typename CommentHeightFn>
SPlacement Place(int clientWidth, int titleHeight, const SValueList& values, SSize statistics, SSize settings,
                 SListHeightMemory& memory, CommentHeightFn commentHeight);

// The scroll size: the extent, at least 800 x 800.
SSize ScrollSize(const SSize& extent);

// The diagram's value range before rounding to steps: 0 to 1.3 x the
// largest value that exists (entries without a value, 65535, are left
// out); 0 to 90 when no value exists.
struct SValueRange {
    double minimum = 0;
    double maximum = 90;
};
SValueRange ValueRange(const std::vector<float>& values);

// One entry as the diagram orders it.
struct SOrderEntry {
    float value = 0;          // 65535: no value
    std::u16string rollId;
};

// Order modes: 0 measurement (entry) order, 1 by value, 2 by roll ID.  An
// unset mode (-1, or anything but 0..2) is 1 in the median averaging mode,
// else 0.
int EffectiveOrder(int16_t displaySetting, bool median);
int NextOrder(int mode);

// Entry indexes in the order of `mode`; ties keep the entry order, entries
// without a value come last when ordered by value.
std::vector<int> EntryOrder(const std::vector<SOrderEntry>& entries, int mode);

// The labels under the bars: every (skip + 1)-th bar gets its label when
// bars stand `pitch` pixels apart and a label needs `labelExtent` pixels
// along the axis (0: every bar).
int LabelSkip(double labelExtent, double pitch);

// --- Template definition ---------------------------------------------------

template <typename CommentHeightFn>
SPlacement Place(int clientWidth, int titleHeight, const SValueList& values, SSize statistics, SSize settings,
                 SListHeightMemory& memory, CommentHeightFn commentHeight)
{
    const int m = kMargin;
    SPlacement p;
    p.layoutWidth = LayoutWidth(clientWidth);
    const int w = p.layoutWidth;
    p.blocksTop = kTitleY + static_cast<int>(1.4 * titleHeight);
    p.diagram = SRect{m, p.blocksTop, w - 2 * m, kDiagramHeight};
    const int lower = p.diagram.Bottom() + m;

    SSize list = values.Measure(p.listHeight);
    p.stacked = w < m + list.width + m + statistics.width + m + settings.width + m;
    if (p.stacked) {
        p.listHeight = memory.Holds(clientWidth, values.Count())
                           ? memory.height
                           : std::max(kFirstListHeight, statistics.height + m + settings.height);
        list = values.Measure(p.listHeight);
        // Taller columns until the list and the statistics fit side by side
        // (or every value stands in one column).
        while (w < m + list.width + m + statistics.width + m &&
               values.LinesPerColumn(p.listHeight) < values.Count()) {
            p.listHeight += kListHeightStep;
            list = values.Measure(p.listHeight);
        }
        memory.height = p.listHeight;
        memory.clientWidth = clientWidth;
        memory.entries = values.Count();
    }
    p.values = SRect{m, lower, list.width, list.height};
    p.statistics = SRect{p.values.Right() + m, lower, statistics.width, statistics.height};
    if (p.stacked)
        p.settings = SRect{p.statistics.x, p.statistics.Bottom() + m, settings.width, settings.height};
    else
        p.settings = SRect{p.statistics.Right() + m, lower, settings.width, settings.height};
    const int commentTop = std::max(p.statistics.Bottom(), p.settings.Bottom()) + m;
    const int commentWidth = std::max(w - p.statistics.x - m, 1);
    p.comment = SRect{p.statistics.x, commentTop, commentWidth, commentHeight(commentWidth)};

    int right = w, bottom = 0;
    for (const SRect* r : {&p.diagram, &p.values, &p.statistics, &p.settings, &p.comment}) {
        right = std::max(right, r->Right() + m);
        bottom = std::max(bottom, r->Bottom() + m);
    }
    p.extent = SSize{right, bottom};
    return p;
}

} // namespace SummaryLayout
