// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCellDetailGripper: the first cell of a value row.  It shows the
// impact counter (right-aligned), the expand sign of the detail row and the
// tick box "use in summary"; exactly one picture of each pair is shown.
#pragma once

#include "controls/GridCell.h"

class CGridCellDetailGripper : public CGridCell {
public:
    // What a click at a cell position hits.
    enum Hit { hitNone, hitExpand, hitTick };

    // The two pictures (each 22 x 19) and their left edges.
    static constexpr int kImageWidth = 22;
    static constexpr int kImageHeight = 19;
    static constexpr int kExpandLeft = 5;
    static constexpr int kTickLeft = 30;

    bool IsExpanded() const { return m_expanded; }
    void SetExpanded(bool expanded) { m_expanded = expanded; }
    bool IsTicked() const { return m_ticked; }
    void SetTicked(bool ticked) { m_ticked = ticked; }

    static Hit HitTest(const QPoint& local, int cellHeight);

    void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) override;
    int GetExtentWidth(const QFontMetrics& metrics) const override;
    bool OnMouseMove(const QPoint& local, const QRect& rect, Qt::CursorShape& cursor) override;

    // The pictures, also used for the context menu's icons.
    static void DrawExpandSign(QPainter& painter, const QRect& box, bool expanded);
    static void DrawTickBox(QPainter& painter, const QRect& box, bool ticked);

private:
    bool m_expanded = false;
    bool m_ticked = false;
};
