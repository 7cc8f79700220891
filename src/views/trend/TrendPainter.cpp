// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/trend/TrendPainter.h"

#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "views/ColorScheme.h"
#include "views/ViewText.h"
#include "views/graph/GraphAxis.h"
#include "views/trend/TrendStrings.h"

namespace {

using Archive::STrendChart;
using Archive::STrendPoint;

QColor CentreColour() { return QColor(0, 128, 64); }
QColor ControlColour() { return QColor(200, 40, 40); }
QColor BeyondColour() { return QColor(220, 0, 0); }
QColor RunColour() { return QColor(230, 140, 0); }

QString Number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString UnitText(const STrendChart& chart)
{
    return chart.rFlag == 1 ? QStringLiteral("R") : QStringLiteral("Q");
}

// The axis step and rounded range for `length` pixels with labels of
// `fontPixels` height.
void ChooseAxis(double& minimum, double& maximum, double& step, double length, int fontPixels)
{
    if (!(maximum > minimum)) {
        minimum -= 1;
        maximum += 1;
    }
    const GraphAxis::SStep s =
        GraphAxis::ChooseStep(maximum - minimum, length, [&](const GraphAxis::SStep&) { return fontPixels * 2.0; });
    step = s.value;
    GraphAxis::RoundOutward(minimum, maximum, step);
}

int Decimals(double step)
{
    return step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
}

} // namespace

double STrendLayout::X(const STrendChart& chart, size_t point) const
{
    const double left = main.left(), width = main.width();
    if (count == 0)
        return left;
    if (!timeAxis || tMax == tMin)
        return left + width * (static_cast<double>(point) + 0.5) / static_cast<double>(count);
    const double t = chart.points[point].dateTime;
    const double margin = width * 0.02;
    return left + margin + (width - 2 * margin) * (t - tMin) / static_cast<double>(tMax - tMin);
}

double STrendLayout::Y(double value) const
{
    return main.bottom() - (value - yMin) / (yMax - yMin) * main.height();
}

double STrendLayout::CovY(double percent) const
{
    return cov.bottom() - std::min(percent, covMax) / covMax * cov.height();
}

namespace TrendPainter {

STrendLayout Layout(const QRect& rect, const STrendChart& chart, const STrendStyle& style)
{
    STrendLayout l;
    l.whole = rect;
    l.fontPixels = std::clamp(rect.height() / 45, 10, 40);
    l.timeAxis = style.timeAxis;
    l.count = chart.points.size();
    const int line = l.fontPixels * 3 / 2;
    const int leftAxis = l.fontPixels * 5;
    const int pad = l.fontPixels;
    l.title = QRect(rect.left() + pad, rect.top() + pad / 2, rect.width() - 2 * pad, line);
    l.legend = QRect(rect.left() + pad, rect.bottom() - line - pad / 2, rect.width() - 2 * pad, line);
    const int top = l.title.bottom() + pad;
    const int bottom = l.legend.top() - pad - line;   // room for the x labels
    const int panels = std::max(20, bottom - top - line);
    const int mainHeight = panels * 3 / 4;
    l.main = QRect(rect.left() + pad + leftAxis, top, std::max(20, rect.width() - 2 * pad - leftAxis - pad), mainHeight);
    l.cov = QRect(l.main.left(), l.main.bottom() + line + 1, l.main.width(), std::max(10, panels - mainHeight - line));

    double lo = 0, hi = 0;
    bool any = false;
    const auto take = [&](double v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    };
    double covHigh = style.covThreshold;
    for (const STrendPoint& p : chart.points) {
        take(p.minimum);
        take(p.maximum);
        if (p.covPercent)
            covHigh = std::max(covHigh, *p.covPercent);
    }
    if (chart.lowerControlLimit)
        take(*chart.lowerControlLimit);
    if (chart.upperControlLimit)
        take(*chart.upperControlLimit);
    if (chart.lowerLimit) {
        take(SeriesPageText::LimitValue(*chart.lowerLimit));
        take(SeriesPageText::LimitValue(*chart.upperLimit));
    }
    if (!any) {
        lo = 0;
        hi = 90;
    }
    // A little room beyond the outermost line, so that a limit never lies
    // on the panel's border.
    const double room = std::max(hi - lo, 1.0) * 0.03;
    l.yMin = lo >= 0 ? std::max(0.0, lo - room) : lo - room;
    l.yMax = hi + room;
    ChooseAxis(l.yMin, l.yMax, l.yStep, l.main.height(), l.fontPixels);
    double covMin = 0;
    l.covMax = covHigh * 1.05;
    ChooseAxis(covMin, l.covMax, l.covStep, l.cov.height(), l.fontPixels);
    if (!chart.points.empty()) {
        l.tMin = chart.points.front().dateTime;
        l.tMax = chart.points.back().dateTime;
        for (const STrendPoint& p : chart.points) {
            l.tMin = std::min(l.tMin, p.dateTime);
            l.tMax = std::max(l.tMax, p.dateTime);
        }
    }
    return l;
}

std::optional<size_t> PointAt(const STrendLayout& layout, const STrendChart& chart, const QPoint& pos)
{
    if (chart.points.empty() || pos.x() < layout.main.left() - 8 || pos.x() > layout.main.right() + 8 ||
        pos.y() < layout.main.top() || pos.y() > layout.cov.bottom())
        return std::nullopt;
    // x grows with the point's index on both axes (the points are in time order).
    size_t low = 0, high = chart.points.size();
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (layout.X(chart, mid) < pos.x())
            low = mid + 1;
        else
            high = mid;
    }
    std::optional<size_t> best;
    double bestDistance = 8.5;
    for (size_t i = low > 0 ? low - 1 : 0; i <= std::min(low, chart.points.size() - 1); ++i) {
        const double d = std::fabs(layout.X(chart, i) - pos.x());
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

QString PointTip(const STrendChart& chart, size_t point)
{
    const STrendPoint& p = chart.points[point];
    const QString cov = p.covPercent ? Number(*p.covPercent, 2) : ViewText::Load(TrendStrings::kNoCov);
    QString tip = ViewText::LoadFormat(TrendStrings::kTip, Platform::ToUtf8(p.rollId).c_str(),
                                       SpreadsheetExport::IsoDateTime(p.dateTime).c_str(),
                                       Number(p.mean, 2).toUtf8().constData(), Number(p.minimum, 1).toUtf8().constData(),
                                       Number(p.maximum, 1).toUtf8().constData(), cov.toUtf8().constData());
    if (p.beyond)
        tip += QLatin1Char('\n') + ViewText::Load(TrendStrings::kBeyond);
    if (p.run)
        tip += QLatin1Char('\n') + ViewText::Load(TrendStrings::kRun);
    return tip;
}

void Paint(QPainter& painter, const QRect& rect, const STrendChart& chart, const STrendStyle& style)
{
    const STrendLayout l = Layout(rect, chart, style);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, chart.points.size() < 2000);
    if (!style.printing)
        painter.fillRect(rect, style.background);
    QFont font = style.font;
    font.setPixelSize(l.fontPixels);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QColor fg = style.foreground;
    QColor grid = fg;
    grid.setAlpha(60);

    painter.setPen(fg);
    const QString unit = UnitText(chart);
    QString title = ViewText::LoadFormat(TrendStrings::kTitle, static_cast<int>(chart.points.size()),
                                         unit.toUtf8().constData());
    if (chart.leftOut > 0)
        title += QStringLiteral("  ") + ViewText::LoadFormat(TrendStrings::kLeftOut, chart.leftOut);
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(l.title, Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(font);

    // Axes, grid and labels of both panels.
    const int labelGap = l.fontPixels / 2;
    const int decimals = Decimals(l.yStep);
    std::vector<QLineF> gridLines;
    for (double v = l.yMin; v <= l.yMax + l.yStep * 1e-6; v += l.yStep) {
        const double y = l.Y(v);
        gridLines.emplace_back(l.main.left(), y, l.main.right(), y);
        painter.drawText(QRectF(l.whole.left(), y - l.fontPixels, l.main.left() - labelGap - l.whole.left(),
                                2.0 * l.fontPixels),
                         Qt::AlignRight | Qt::AlignVCenter, Number(v, decimals));
    }
    const int covDecimals = Decimals(l.covStep);
    for (double v = 0; v <= l.covMax + l.covStep * 1e-6; v += l.covStep) {
        const double y = l.CovY(v);
        gridLines.emplace_back(l.cov.left(), y, l.cov.right(), y);
        painter.drawText(QRectF(l.whole.left(), y - l.fontPixels, l.cov.left() - labelGap - l.whole.left(),
                                2.0 * l.fontPixels),
                         Qt::AlignRight | Qt::AlignVCenter, Number(v, covDecimals));
    }
    painter.setPen(QPen(grid, 0));
    painter.drawLines(gridLines.data(), static_cast<int>(gridLines.size()));
    painter.setPen(QPen(fg, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(l.main);
    painter.drawRect(l.cov);
    // Panel captions inside the top left corners.
    painter.drawText(l.main.adjusted(labelGap, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     ViewText::LoadFormat(TrendStrings::kMeanAxis, unit.toUtf8().constData()));
    painter.drawText(l.cov.adjusted(labelGap, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     ViewText::Load(TrendStrings::kCovAxis));

    // x labels under the lower panel: a few, spread evenly, not overlapping.
    if (!chart.points.empty()) {
        const int labelWidth = metrics.horizontalAdvance(style.timeAxis ? QStringLiteral("0000-00-00")
                                                                        : QString::number(chart.points.size())) +
                               l.fontPixels;
        const int labelSlots = std::max(1, l.cov.width() / std::max(1, labelWidth * 2));
        const size_t every = std::max<size_t>(1, (chart.points.size() + labelSlots - 1) / labelSlots);
        double lastRight = -1e9;
        for (size_t i = 0; i < chart.points.size(); i += every) {
            const double x = l.X(chart, i);
            const QString text = style.timeAxis
                                     ? QString::fromStdString(SpreadsheetExport::IsoDateTime(chart.points[i].dateTime).substr(0, 10))
                                     : QString::number(i + 1);
            if (x - labelWidth / 2.0 < lastRight)
                continue;
            painter.drawText(QRectF(x - labelWidth / 2.0, l.cov.bottom() + 2, labelWidth, l.fontPixels * 1.4),
                             Qt::AlignHCenter | Qt::AlignTop, text);
            lastRight = x + labelWidth / 2.0;
        }
    }

    painter.save();
    painter.setClipRect(l.main.adjusted(1, 1, 0, 0));
    // The series' limits, then the control chart's lines.
    const auto hLine = [&](double value, const QPen& pen) {
        painter.setPen(pen);
        painter.drawLine(QLineF(l.main.left(), l.Y(value), l.main.right(), l.Y(value)));
    };
    const double lineWidth = std::max(1.0, l.fontPixels / 8.0);
    if (chart.lowerLimit) {
        const QPen pen(CColorScheme::LimitLine(), lineWidth * 2);
        hLine(SeriesPageText::LimitValue(*chart.lowerLimit), pen);
        hLine(SeriesPageText::LimitValue(*chart.upperLimit), pen);
    }
    if (chart.centreLine)
        hLine(*chart.centreLine, QPen(CentreColour(), lineWidth));
    if (chart.lowerControlLimit) {
        QPen pen(ControlColour(), lineWidth, Qt::DashLine);
        hLine(*chart.lowerControlLimit, pen);
        hLine(*chart.upperControlLimit, pen);
    }
    // Whiskers, then the means: one call per colour, whatever the count.
    std::vector<QLineF> whiskers;
    whiskers.reserve(chart.points.size());
    std::vector<QRectF> normal, beyond, run;
    normal.reserve(chart.points.size());
    const double mark = std::clamp(l.main.width() / std::max<double>(1.0, chart.points.size()) * 0.6, 2.0,
                                   l.fontPixels * 0.6);
    for (size_t i = 0; i < chart.points.size(); ++i) {
        const STrendPoint& p = chart.points[i];
        const double x = l.X(chart, i);
        whiskers.emplace_back(x, l.Y(p.minimum), x, l.Y(p.maximum));
        const QRectF r(x - mark / 2, l.Y(p.mean) - mark / 2, mark, mark);
        (p.beyond ? beyond : p.run ? run : normal).push_back(r);
    }
    QColor whisker = fg;
    whisker.setAlpha(110);
    painter.setPen(QPen(whisker, 0));
    painter.drawLines(whiskers.data(), static_cast<int>(whiskers.size()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(CColorScheme::BarInside());
    painter.drawRects(normal.data(), static_cast<int>(normal.size()));
    painter.setBrush(RunColour());
    painter.drawRects(run.data(), static_cast<int>(run.size()));
    painter.setBrush(BeyondColour());
    painter.drawRects(beyond.data(), static_cast<int>(beyond.size()));
    if (!style.printing && style.selected >= 0 && static_cast<size_t>(style.selected) < chart.points.size()) {
        const STrendPoint& p = chart.points[static_cast<size_t>(style.selected)];
        const double x = l.X(chart, static_cast<size_t>(style.selected));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(fg, lineWidth * 1.5));
        const double ring = std::max(mark, l.fontPixels * 0.5) + 4;
        painter.drawEllipse(QRectF(x - ring / 2, l.Y(p.mean) - ring / 2, ring, ring));
    }
    painter.restore();

    // The lower panel: each series' COV as a bar from 0, the threshold dashed.
    painter.save();
    painter.setClipRect(l.cov.adjusted(1, 1, 0, 0));
    std::vector<QLineF> below, above;
    for (size_t i = 0; i < chart.points.size(); ++i) {
        const STrendPoint& p = chart.points[i];
        if (!p.covPercent)
            continue;
        const double x = l.X(chart, i);
        (*p.covPercent >= style.covThreshold ? above : below)
            .emplace_back(x, l.CovY(0), x, l.CovY(*p.covPercent));
    }
    const double barWidth = std::clamp(l.cov.width() / std::max<double>(1.0, chart.points.size()) * 0.4, 1.0,
                                       l.fontPixels * 0.3);
    painter.setPen(QPen(CColorScheme::BarInside(), barWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(below.data(), static_cast<int>(below.size()));
    painter.setPen(QPen(CColorScheme::BarOutside(), barWidth, Qt::SolidLine, Qt::FlatCap));
    if (style.foreground.lightness() > 128)
        painter.setPen(QPen(BeyondColour(), barWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(above.data(), static_cast<int>(above.size()));
    painter.setPen(QPen(ControlColour(), lineWidth, Qt::DashLine));
    painter.drawLine(QLineF(l.cov.left(), l.CovY(style.covThreshold), l.cov.right(), l.CovY(style.covThreshold)));
    painter.restore();

    // The legend: what the lines are, with their values.
    painter.setPen(fg);
    QStringList parts{ViewText::Load(style.timeAxis ? TrendStrings::kTimeAxis : TrendStrings::kSequenceAxis)};
    if (chart.centreLine)
        parts << ViewText::LoadFormat(TrendStrings::kCentreLine, Number(*chart.centreLine, 3).toUtf8().constData());
    if (chart.lowerControlLimit)
        parts << ViewText::LoadFormat(TrendStrings::kControlLimits,
                                      Number(*chart.lowerControlLimit, 3).toUtf8().constData(),
                                      Number(*chart.upperControlLimit, 3).toUtf8().constData());
    if (chart.lowerLimit)
        parts << ViewText::LoadFormat(TrendStrings::kLimits, SeriesPageText::LimitValue(*chart.lowerLimit),
                                      SeriesPageText::LimitValue(*chart.upperLimit));
    parts << ViewText::LoadFormat(TrendStrings::kThreshold, Number(style.covThreshold, 1).toUtf8().constData());
    if (chart.points.empty())
        parts = QStringList{ViewText::Load(TrendStrings::kNothing)};
    painter.drawText(l.legend, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(parts.join(QStringLiteral("   ")), Qt::ElideRight, l.legend.width()));
    painter.restore();
}

} // namespace TrendPainter
