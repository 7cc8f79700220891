// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/trend/TrendChartView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

CTrendChartView::CTrendChartView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(400, 260);
}

void CTrendChartView::SetChart(Archive::STrendChart chart)
{
    m_chart = std::move(chart);
    m_selected = -1;
    update();
}

void CTrendChartView::SetTimeAxis(bool timeAxis)
{
    m_timeAxis = timeAxis;
    update();
}

void CTrendChartView::SetCovThreshold(double percent)
{
    m_threshold = percent;
    update();
}

void CTrendChartView::SelectArchiveId(int64_t archiveId)
{
    m_selected = -1;
    for (size_t i = 0; i < m_chart.points.size(); ++i)
        if (m_chart.points[i].archiveId == archiveId)
            m_selected = static_cast<int>(i);
    update();
}

STrendStyle CTrendChartView::Style() const
{
    STrendStyle style;
    style.font = font();
    style.timeAxis = m_timeAxis;
    style.covThreshold = m_threshold;
    style.selected = m_selected;
    style.foreground = palette().color(QPalette::WindowText);
    style.background = palette().color(QPalette::Base);
    return style;
}

void CTrendChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TrendPainter::Paint(painter, rect(), m_chart, Style());
}

void CTrendChartView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const auto point = TrendPainter::PointAt(TrendPainter::Layout(rect(), m_chart, Style()), m_chart, pos);
    if (point)
        QToolTip::showText(event->globalPosition().toPoint(), TrendPainter::PointTip(m_chart, *point), this);
    else
        QToolTip::hideText();
}

void CTrendChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const auto point =
        TrendPainter::PointAt(TrendPainter::Layout(rect(), m_chart, Style()), m_chart, event->position().toPoint());
    if (!point)
        return;
    m_selected = static_cast<int>(*point);
    update();
    emit pointClicked(static_cast<qlonglong>(m_chart.points[*point].archiveId));
}
