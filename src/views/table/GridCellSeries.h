// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCellSeries: the merged cell of a detail row that draws the series
// graph (CSeriesGraph) of one series of the document.  It keeps the areas
// its last drawing registered for tool tips, the hand cursor and clicks, the
// row height it wants, and the state of the expand/collapse animation.
#pragma once

#include <vector>

#include "controls/GridCell.h"
#include "views/graph/SeriesGraph.h"

class CPaperDoc;
class QWidget;

// The page that holds the cells: it carries out what a click on a link
// asks for and sets the row heights the cells want.
class ISeriesCellHost {
public:
    virtual ~ISeriesCellHost() = default;
    // A click on a link of the series' graph (area id of CSeriesGraph);
    // `area` is the link's rectangle in global screen coordinates.
    virtual void OnGraphAreaClicked(int series, int areaId, const QRect& area) = 0;
    // A settled cell's drawing needs another height.
    virtual void OnTargetHeightChanged(int series) = 0;
    // The widget the cells draw on (for global positions and the font).
    virtual QWidget* CellWidget() = 0;
};

class CGridCellSeries : public CGridCell {
public:
    // Animation steps per timer tick, in pixels.
    static constexpr int kExpandStep = 15;
    static constexpr int kSettleStep = 3;
    // Target height = needed height x 1.07.
    static int TargetFromNeeded(int needed) { return static_cast<int>(needed * 1.07); }

    explicit CGridCellSeries(ISeriesCellHost* host = nullptr) : m_host(host) {}

    void Bind(CPaperDoc* doc, int series);
    int GetSeries() const { return m_series; }

    // Row heights: the current one (what the grid shows) and the target.
    int GetCurrentHeight() const { return m_current; }
    void SetCurrentHeight(int height) { m_current = height; }
    int GetTargetHeight() const { return m_target; }
    bool IsExpanding() const { return m_expanding; }
    bool IsCollapsing() const { return m_collapsing; }
    bool IsSettled() const { return !m_expanding && !m_collapsing; }
    bool IsAnimating() const;

    // The height the graph needs at `width` (measured off screen), x 1.07.
    int MeasureTarget(int width) const;
    // Expanding: at once to the measured height, or by animation.
    void Expand(bool immediately, int width);
    // Collapsing: at once to 0, or by animation.
    void Collapse(bool immediately);
    // One animation tick; true when the height changed.
    bool AnimationStep();

    void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) override;
    int GetExtentWidth(const QFontMetrics&) const override { return 0; }
    QString GetCopyText() const override;
    bool OnMouseMove(const QPoint& local, const QRect& rect, Qt::CursorShape& cursor) override;
    bool OnMouseLeave() override;
    bool OnClick(const QPoint& local, const QRect& rect) override;
    QString GetToolTip(const QPoint& local) const override;

    int GetHovered() const { return m_hovered; }
    const std::vector<SSensitiveArea>& GetAreas() const { return m_areas; }
    // The area under a cell position (0 for none).
    const SSensitiveArea* AreaAt(const QPoint& local) const;
    static bool IsClickable(int areaId);

private:
    ISeriesCellHost* m_host = nullptr;
    CPaperDoc* m_doc = nullptr;
    int m_series = -1;
    int m_current = 0;
    int m_target = 0;
    bool m_expanding = false;
    bool m_collapsing = false;
    int m_hovered = 0;
    std::vector<SSensitiveArea> m_areas;   // cell coordinates
};
