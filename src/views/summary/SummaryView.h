// SPDX-License-Identifier: GPL-3.0-or-later
// CSummaryView: the scrolling view of the summary page.  It keeps the
// snapshot of the summary it draws, paints it double-buffered (the whole
// client area is drawn into an image first and copied in one step), sizes
// its scroll range to the layout, keeps the areas the last drawing
// registered for the hand cursor, the tool tips and the clicks, and
// reports clicks on links and right clicks to its page.
#pragma once

#include <QAbstractScrollArea>

#include <vector>

#include "views/summary/SummaryDrawing.h"
#include "views/summary/SummaryLayout.h"
#include "views/summary/SummaryViewData.h"

class CSummaryView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The scroll size before the first layout.
    static constexpr int kInitialScrollSize = 1000;

    explicit CSummaryView(QWidget* parent = nullptr);

    // A new snapshot: the layout is measured again and the view repainted.
    void SetData(SSummaryViewData data);
    const SSummaryViewData& Data() const { return m_data; }

    // The layout as the view lays it out now (its client width).
    SummaryLayout::SPlacement Layout();
    // The scroll size: the layout's extent, at least 800 x 800.
    QSize ScrollSize() const { return m_scrollSize; }
    int LayoutWidth() const { return SummaryLayout::LayoutWidth(viewport()->width()); }
    // The client width the layout is made for.
    int ClientWidth() const { return viewport()->width(); }

    const std::vector<SSummaryArea>& Areas() const { return m_areas; }
    int Hovered() const { return m_hovered; }
    // The area under a point of the viewport (links before tool-tip areas);
    // null for none.
    const SSummaryArea* AreaAt(const QPoint& viewportPos) const;
    // The list height memory of the layout.
    SummaryLayout::SListHeightMemory& Memory() { return m_memory; }

    // Draws the whole layout into `painter` (printer, picture): no hover
    // marks, nothing left out.
    void DrawAll(QPainter& painter, int clientWidth);

signals:
    // A left click on a link (the order link, a comment line); `area` in
    // global screen coordinates.
    void linkClicked(int areaId, const QRect& area);
    // A right click; `entry` is the entry of the bar under the mouse, or -1.
    void contextMenuRequested(const QPoint& globalPos, int entry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void UpdateScrollSize();
    QPoint Offset() const;
    static bool IsLink(int areaId);

    SSummaryViewData m_data;
    SummaryLayout::SListHeightMemory m_memory;
    std::vector<SSummaryArea> m_areas;    // layout coordinates
    QSize m_scrollSize{kInitialScrollSize, kInitialScrollSize};
    int m_hovered = CSummaryDrawing::areaNone;
};
