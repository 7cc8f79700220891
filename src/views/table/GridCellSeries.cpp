// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/table/GridCellSeries.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

#include "controls/GridColours.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "views/ViewText.h"

void CGridCellSeries::Bind(CPaperDoc* doc, int series)
{
    m_doc = doc;
    m_series = series;
    m_areas.clear();
    m_hovered = 0;
}

bool CGridCellSeries::IsAnimating() const
{
    return m_expanding || m_collapsing || (m_current > 0 && m_target > 0 && m_current != m_target);
}

int CGridCellSeries::MeasureTarget(int width) const
{
    if (m_doc == nullptr || m_series < 0)
        return 2;
    QFont font;
    if (m_host != nullptr && m_host->CellWidget() != nullptr)
        font = m_host->CellWidget()->font();
    const SSeriesGraphData data = MakeSeriesGraphData(*m_doc, m_series);
    return TargetFromNeeded(CSeriesGraph::Measure(QRect(0, 0, width, 100), data, font));
}

void CGridCellSeries::Expand(bool immediately, int width)
{
    m_collapsing = false;
    m_target = std::max(MeasureTarget(width), 2);
    if (immediately) {
        m_current = m_target;
        m_expanding = false;
    } else {
        m_current = std::max(m_current, 2);
        m_expanding = m_current < m_target;
        if (!m_expanding)
            m_current = m_target;
    }
}

void CGridCellSeries::Collapse(bool immediately)
{
    m_expanding = false;
    if (immediately || m_current <= 2) {
        m_current = 0;
        m_collapsing = false;
    } else {
        m_collapsing = true;
    }
}

bool CGridCellSeries::AnimationStep()
{
    const int before = m_current;
    if (m_expanding) {
        m_current += kExpandStep;
        if (m_current >= m_target) {
            m_current = m_target;
            m_expanding = false;
        }
    } else if (m_collapsing) {
        m_current -= kExpandStep;
        if (m_current <= 2) {
            m_current = 0;
            m_collapsing = false;
        }
    } else if (m_current > 0 && m_target > 0 && m_current != m_target) {
        // Settled: follow a changed target by a few pixels per tick.
        const int delta = std::clamp(m_target - m_current, -kSettleStep, kSettleStep);
        m_current += delta;
    }
    return m_current != before;
}

void CGridCellSeries::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context)
{
    if (m_doc == nullptr || m_series < 0 || m_series >= m_doc->GetCount()) {
        DrawBackground(painter, rect, context);
        return;
    }
    const SSeriesGraphData data = MakeSeriesGraphData(*m_doc, m_series);
    CSeriesGraph::SStyle style;
    style.font = painter.font();
    style.printing = context.printing;
    style.hovered = m_hovered;
    std::vector<SSensitiveArea> areas;
    const int needed = CSeriesGraph::Paint(painter, rect, data, style, false, &areas);
    if (context.selected && !context.printing) {
        painter.save();
        painter.setPen(QPen(GridColours::SelectedBackground(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(1, 1, -1, -1));
        painter.restore();
    }
    if (context.printing)
        return;
    m_areas = std::move(areas);
    for (SSensitiveArea& area : m_areas)
        area.rect.translate(-rect.topLeft());
    const int target = TargetFromNeeded(needed);
    if (target != m_target) {
        m_target = target;
        if (IsSettled() && m_current > 0 && m_host != nullptr)
            m_host->OnTargetHeightChanged(m_series);
    }
}

QString CGridCellSeries::GetCopyText() const
{
    if (m_doc == nullptr || m_series < 0 || m_series >= m_doc->GetCount())
        return QString();
    return ViewText::Q(SeriesPageText::DetailCopyText(m_doc->GetCurrent(), m_series));
}

bool CGridCellSeries::IsClickable(int id)
{
    switch (id) {
    case CSeriesGraph::areaOrder:
    case CSeriesGraph::areaComment:
    case CSeriesGraph::areaUpper:
    case CSeriesGraph::areaLower:
    case CSeriesGraph::areaAxis:
        return true;
    default:
        return false;
    }
}

const SSensitiveArea* CGridCellSeries::AreaAt(const QPoint& local) const
{
    // Links first: a link may lie inside a larger tool-tip area.
    for (const SSensitiveArea& area : m_areas)
        if (IsClickable(area.id) && area.rect.contains(local))
            return &area;
    for (const SSensitiveArea& area : m_areas)
        if (area.rect.contains(local))
            return &area;
    return nullptr;
}

bool CGridCellSeries::OnMouseMove(const QPoint& local, const QRect&, Qt::CursorShape& cursor)
{
    const SSensitiveArea* area = AreaAt(local);
    const int id = area != nullptr && IsClickable(area->id) ? area->id : 0;
    cursor = id != 0 ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (id == m_hovered)
        return false;
    m_hovered = id;
    return true;
}

bool CGridCellSeries::OnMouseLeave()
{
    if (m_hovered == 0)
        return false;
    m_hovered = 0;
    return true;
}

bool CGridCellSeries::OnClick(const QPoint& local, const QRect& rect)
{
    const SSensitiveArea* area = AreaAt(local);
    if (area == nullptr || !IsClickable(area->id))
        return false;
    const int id = area->id;
    QRect global = area->rect.translated(rect.topLeft());
    if (m_host != nullptr && m_host->CellWidget() != nullptr)
        global.moveTopLeft(m_host->CellWidget()->mapToGlobal(global.topLeft()));
    m_hovered = 0;
    // The host may replace this cell: nothing of it is used after the call.
    if (m_host != nullptr)
        m_host->OnGraphAreaClicked(m_series, id, global);
    return true;
}

QString CGridCellSeries::GetToolTip(const QPoint& local) const
{
    const SSensitiveArea* area = AreaAt(local);
    return area != nullptr ? area->tip : QString();
}
