// SPDX-License-Identifier: GPL-3.0-or-later
// The blocks of the summary page, each drawn by one function that measures
// (returns its size) and, when the context says so, draws.  They share the
// fonts, the text measuring and the link behaviour of the series graph's
// blocks.  Used by CSummaryDrawing::Paint only.
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

#include "views/graph/SeriesGraphBlocks.h"
#include "views/summary/SummaryDrawing.h"
#include "views/summary/SummaryLayout.h"
#include "views/summary/SummaryViewData.h"

namespace SummaryBlocks {

using SeriesGraphBlocks::SContext;

// What one drawing adds to the series graph's context.
struct SDrawState {
    QRect visible;                          // null: draw everything
    std::vector<SSummaryArea>* areas = nullptr;

    bool Shows(const QRect& r) const { return visible.isNull() || visible.intersects(r); }
    void Add(const QRect& rect, int id, int entry = -1) const
    {
        if (areas != nullptr)
            areas->push_back(SSummaryArea{rect, id, entry});
    }
};

// The values list's measurements: title and one text width per entry.
SummaryLayout::SValueList ValueList(SContext& ctx, const SSummaryViewData& data);

QSize Diagram(SContext& ctx, const SDrawState& state, const QRect& area, const SSummaryViewData& data);
QSize Values(SContext& ctx, const SDrawState& state, const QPoint& at, const SummaryLayout::SValueList& list,
             int listHeight, const SSummaryViewData& data);
QSize Statistics(SContext& ctx, const QPoint& at, const SSummaryViewData& data);
QSize Settings(SContext& ctx, const QPoint& at, const SSummaryViewData& data);
QSize Comment(SContext& ctx, const SDrawState& state, const QPoint& at, int width, const SSummaryViewData& data);

} // namespace SummaryBlocks
