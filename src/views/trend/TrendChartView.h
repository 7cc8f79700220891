// SPDX-License-Identifier: GPL-3.0-or-later
// The trend chart in a window: TrendPainter on the widget's palette; the
// mouse over a point shows its roll ID, time and values, a click selects
// it (and tells which archived series it is).
#pragma once

#include <QWidget>

#include "archive/TrendChart.h"
#include "views/trend/TrendPainter.h"

class CTrendChartView : public QWidget {
    Q_OBJECT
public:
    explicit CTrendChartView(QWidget* parent = nullptr);

    void SetChart(Archive::STrendChart chart);
    const Archive::STrendChart& Chart() const { return m_chart; }
    void SetTimeAxis(bool timeAxis);
    void SetCovThreshold(double percent);
    // Selects the point of the archived series `archiveId`, none when it is
    // not shown.
    void SelectArchiveId(int64_t archiveId);
    // The style the chart is drawn in now (pictures take it on paper).
    STrendStyle Style() const;

signals:
    void pointClicked(qlonglong archiveId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Archive::STrendChart m_chart;
    bool m_timeAxis = true;
    double m_threshold = 6.0;
    int m_selected = -1;
};
