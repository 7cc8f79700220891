// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryBlocks.h"

#include <QFontInfo>

#include <algorithm>
#include <cmath>

#include "data/SummaryStrings.h"
#include "views/ColorScheme.h"
#include "views/graph/GraphAxis.h"
#include "views/graph/GraphGrid.h"
#include "views/ViewText.h"

using ViewText::Load;

namespace SummaryBlocks {

namespace {

constexpr int kMargin = SummaryLayout::kMargin;
// Labels under the bars turned upright are cut at this length.
constexpr int kMaxUprightLabel = 120;

// The label font: the view's font made smaller until "55.5555555555" fits
// a bar (or it can shrink no more).
QFont LabelFont(const SContext& ctx, int barWidth)
{
    return FittedFont(ctx, QStringLiteral("55.5555555555"), barWidth);
}

// Draws `text` turned upright (reading upwards) in a column `height` high
// whose bottom is at `bottom`, centred on `centreX`; `alignEnd` puts the
// text's end at the column's top instead of its start at the bottom.
void DrawUpright(QPainter& p, const QFont& font, int centreX, int bottom, int height, int textHeight,
                 const QString& text, Qt::Alignment align)
{
    p.save();
    p.setFont(font);
    p.translate(centreX - textHeight / 2, bottom);
    p.rotate(-90);
    p.drawText(QRect(0, 0, height, textHeight), align | Qt::AlignVCenter | Qt::TextSingleLine, text);
    p.restore();
}

// The snapshot's cache, emptied when the font or the device differ from
// the ones its widths were measured with.
SSummaryDrawCache& Cache(const SContext& ctx, const SSummaryViewData& data)
{
    SSummaryDrawCache& cache = *data.cache;
    const QString key = ctx.normal.key() + QChar('@') + QString::number(ctx.painter.device()->logicalDpiX());
    if (cache.fontKey != key) {
        cache.fontKey = key;
        cache.valueWidths.clear();
        cache.widestLabel = -1;
    }
    return cache;
}

int WidestLabel(const SContext& ctx, const SSummaryViewData& data)
{
    SSummaryDrawCache& cache = Cache(ctx, data);
    if (cache.widestLabel < 0) {
        cache.widestLabel = 0;
        for (const SSummaryEntry& e : data.entries)
            cache.widestLabel = std::max(cache.widestLabel, ctx.Width(ctx.normal, e.Label()));
    }
    return cache.widestLabel;
}

const std::vector<int>& Order(const SSummaryViewData& data, int mode)
{
    std::vector<int>& order = data.cache->orders[std::clamp(mode, 0, 2)];
    if (order.size() != data.entries.size()) {
        std::vector<SummaryLayout::SOrderEntry> keys;
        keys.reserve(data.entries.size());
        for (const SSummaryEntry& e : data.entries)
            keys.push_back({e.value, e.rollId.toStdU16String()});
        order = SummaryLayout::EntryOrder(keys, mode);
    }
    return order;
}

} // namespace

SummaryLayout::SValueList ValueList(SContext& ctx, const SSummaryViewData& data)
{
    SSummaryDrawCache& cache = Cache(ctx, data);
    if (cache.valueWidths.size() != data.entries.size()) {
        cache.valueWidths.clear();
        cache.valueWidths.reserve(data.entries.size());
        for (const SSummaryEntry& e : data.entries)
            cache.valueWidths.push_back(ctx.Width(ctx.normal, e.valueText));
    }
    return SummaryLayout::SValueList(ctx.Width(ctx.bold, Load(SummaryStrings::kValuesTitle)), TitleHeight(ctx),
                                     ctx.Height(ctx.normal), cache.valueWidths);
}

QSize Diagram(SContext& ctx, const SDrawState& state, const QRect& area, const SSummaryViewData& data)
{
    const int n = static_cast<int>(data.entries.size());
    const int titleHeight = TitleHeight(ctx);
    const QString title = Load(SummaryStrings::kDiagramTitle) + QChar(' ');
    int titleWidth = ctx.Text(ctx.bold, area.topLeft(), title, CColorScheme::Text());
    const int order = data.Order();
    if (n >= 2) {
        static const uint32_t kLinks[3] = {SummaryStrings::kMeasurementOrder, SummaryStrings::kOrderedByValue,
                                           SummaryStrings::kOrderedByRollId};
        const QString link = Load(kLinks[order]);
        const bool hovered = ctx.hovered == CSummaryDrawing::areaOrder && !ctx.printing;
        const QFont& font = hovered ? ctx.underlined : ctx.normal;
        const QPoint at(area.left() + titleWidth, area.top() + (titleHeight - ctx.Height(font)) / 2);
        const int linkWidth = ctx.Text(font, at, link, CColorScheme::Link());
        state.Add(QRect(at, QSize(linkWidth, ctx.Height(font))), CSummaryDrawing::areaOrder);
        titleWidth += linkWidth;
    }

    // Bars: from 24 pixels down; when even 1 pixel per bar is too wide, the
    // bars stand closer than a pixel and are drawn as lines.
    const int textHeight = ctx.Height(ctx.normal);
    const GraphAxis::SBars bars = GraphAxis::BarWidth(n, area.width() - 2 * kMargin - 30);
    const int plotTop = area.top() + static_cast<int>(1.2 * titleHeight) + textHeight + 2;

    // The labels under the bars: level when each fits its bar, else upright.
    const int widestLabel = WidestLabel(ctx, data);
    const double wantedPitch = bars.width > 0 ? bars.width + bars.gap : 0.0;
    const bool upright = wantedPitch == 0.0 || widestLabel > wantedPitch - 2;
    const int labelLength = std::min(widestLabel, kMaxUprightLabel);
    const int labelBand = (upright ? labelLength : textHeight) + 6;
    const int plotBottom = std::max(plotTop + 20, area.bottom() - labelBand);

    std::vector<float> values;
    values.reserve(data.entries.size());
    for (const SSummaryEntry& e : data.entries)
        values.push_back(e.value);
    const SummaryLayout::SValueRange range = SummaryLayout::ValueRange(values);
    CGraphGrid grid;
    grid.SetRangeY(range.minimum, range.maximum);
    grid.SetRangeX(-0.5, n + 0.5);
    const int labelWidth = grid.LayoutValueAxis(ctx.painter, ctx.normal, std::max(plotBottom - plotTop, 1));
    const int axisX = area.left() + labelWidth;
    const int plotRight = std::max(axisX + 10, area.right());
    grid.SetPlot(QRect(QPoint(axisX, plotTop), QPoint(plotRight, plotBottom)));
    const int firstX = axisX + bars.gap + 4;
    const double pitch = bars.width > 0 ? wantedPitch
                                        : std::max(plotRight - firstX - kMargin, 1) / static_cast<double>(std::max(n, 1));
    const int blockWidth = std::max(titleWidth, area.width());
    if (!ctx.draw)
        return QSize(blockWidth, area.height());

    QPainter& p = ctx.painter;
    grid.Draw(p, ctx.normal);

    // The unit above the plot at the horizontal position 0.
    const int unitWidth = ctx.Width(ctx.normal, data.unit);
    ctx.Text(ctx.normal, QPoint(grid.XToPixel(0) - unitWidth / 2, plotTop - textHeight - 2), data.unit,
             CColorScheme::Text());

    // The mean mark on the value axis.
    if (data.used > 0) {
        const int yMean = grid.ValueToY(data.mean);
        p.setPen(QPen(CColorScheme::Text(), 2));
        p.drawLine(axisX - 2, yMean, axisX + 4, yMean);
    }

    const std::vector<int>& orderOf = Order(data, order);

    const QFont labelFont = LabelFont(ctx, bars.width);
    const bool valueLabels = labelFont.pixelSize() > 3 && bars.width > 0;
    const int valueLabelHeight = ctx.Height(labelFont);
    const int skip = upright ? SummaryLayout::LabelSkip(textHeight, pitch) : 0;
    const QString noValue = Load(SummaryStrings::kConversionNotPossible);
    const int noValueWidth = ctx.Width(ctx.normal, noValue);
    const int axisY = plotBottom;
    const int slotWidth = std::max(bars.width, 1);
    // Bars closer than a pixel share their pixel column: each column is
    // filled once per colour, up to its highest bar.
    const bool shared = bars.width == 0;
    std::vector<int> columnTop[2];
    if (shared) {
        columnTop[0].assign(static_cast<size_t>(std::max(plotRight - firstX + 2, 1)), axisY + 1);
        columnTop[1] = columnTop[0];
    }
    for (int k = 0; k < n; ++k) {
        const int x = bars.width > 0 ? firstX + k * (bars.width + bars.gap)
                                     : firstX + static_cast<int>(std::floor(k * pitch));
        const QRect slot(x - 2, area.top(), std::max(slotWidth, static_cast<int>(pitch)) + 4, area.height());
        const int index = orderOf[static_cast<size_t>(k)];
        const SSummaryEntry& e = data.entries[static_cast<size_t>(index)];
        const int centre = x + slotWidth / 2;
        if (e.HasValue()) {
            const int top = std::min(grid.ValueToY(e.value), axisY);
            const QRect bar(QPoint(x, top), QPoint(x + slotWidth - 1, axisY));
            state.Add(QRect(QPoint(x, std::min(top, axisY - 6)), QPoint(x + std::max(slotWidth, static_cast<int>(pitch)) - 1, axisY)),
                      CSummaryDrawing::areaBar, index);
            if (!state.Shows(slot))
                continue;
            if (shared) {
                const size_t column = static_cast<size_t>(std::clamp(x - firstX, 0, static_cast<int>(columnTop[0].size()) - 1));
                int& highest = columnTop[e.flag == 1 ? 1 : 0][column];
                highest = std::min(highest, top);
            } else {
                p.fillRect(bar, e.flag == 1 ? CColorScheme::BarOutside() : CColorScheme::BarInside());
            }
            if (valueLabels) {
                const int w = ctx.Width(labelFont, e.valueText);
                p.setFont(labelFont);
                p.setPen(CColorScheme::Text());
                p.drawText(QRect(centre - w / 2 - 1, top - 3 - valueLabelHeight, w + 2, valueLabelHeight),
                           Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, e.valueText);
            }
        } else {
            if (!state.Shows(slot))
                continue;
            // No bar: the slot says why, upright from the axis.
            if (pitch >= 3) {
                p.setPen(CColorScheme::Text());
                DrawUpright(p, ctx.normal, centre, axisY - 3, std::min(noValueWidth + 2, axisY - plotTop - 3), textHeight,
                            noValue, Qt::AlignLeft);
            }
        }
        if (skip > 0 && k % (skip + 1) != 0)
            continue;
        const QString label = e.Label();
        p.setPen(CColorScheme::Text());
        if (upright) {
            const QString shown = ctx.Metrics(ctx.normal).elidedText(label, Qt::ElideRight, labelLength + 1);
            DrawUpright(p, ctx.normal, centre, axisY + 3 + labelLength, labelLength + 1, textHeight, shown, Qt::AlignRight);
        } else {
            const int w = ctx.Width(ctx.normal, label);
            ctx.Text(ctx.normal, QPoint(centre - w / 2, axisY + 3), label, CColorScheme::Text());
        }
    }
    if (shared) {
        for (int colour = 0; colour < 2; ++colour) {
            const QColor fill = colour == 1 ? CColorScheme::BarOutside() : CColorScheme::BarInside();
            for (size_t column = 0; column < columnTop[colour].size(); ++column) {
                const int top = columnTop[colour][column];
                if (top <= axisY)
                    p.fillRect(QRect(QPoint(firstX + static_cast<int>(column), top),
                                     QPoint(firstX + static_cast<int>(column), axisY)),
                               fill);
            }
        }
    }
    return QSize(blockWidth, area.height());
}

QSize Values(SContext& ctx, const SDrawState& state, const QPoint& at, const SummaryLayout::SValueList& list,
             int listHeight, const SSummaryViewData& data)
{
    const SummaryLayout::SSize size = list.Measure(listHeight);
    if (!ctx.draw)
        return QSize(size.width, size.height);
    ctx.Text(ctx.bold, at, Load(SummaryStrings::kValuesTitle), CColorScheme::Text());
    const int n = list.Count();
    if (n == 0)
        return QSize(size.width, size.height);
    const int perColumn = list.LinesPerColumn(listHeight);
    const std::vector<int> lefts = list.ColumnLefts(listHeight);
    const int lineHeight = list.lineHeight;
    const int firstY = at.y() + list.FirstLine();
    // Only the lines in view are drawn (a summary may hold many thousands).
    int firstRow = 0, lastRow = perColumn - 1;
    if (!state.visible.isNull()) {
        firstRow = std::clamp((state.visible.top() - firstY) / lineHeight - 1, 0, perColumn - 1);
        lastRow = std::clamp((state.visible.bottom() - firstY) / lineHeight + 1, 0, perColumn - 1);
    }
    for (size_t c = 0; c < lefts.size(); ++c) {
        const int x = at.x() + lefts[c];
        const int first = static_cast<int>(c) * perColumn;
        const int columnWidth = list.suffixWidest[static_cast<size_t>(first)];
        if (!state.Shows(QRect(x, firstY, columnWidth + 1, perColumn * lineHeight)))
            continue;
        for (int row = firstRow; row <= lastRow && first + row < n; ++row) {
            const SSummaryEntry& e = data.entries[static_cast<size_t>(first + row)];
            ctx.Text(ctx.normal, QPoint(x, firstY + row * lineHeight), e.valueText, CColorScheme::Text());
        }
    }
    return QSize(size.width, size.height);
}

QSize Statistics(SContext& ctx, const QPoint& at, const SSummaryViewData& data)
{
    const int titleHeight = TitleHeight(ctx);
    const int titleWidth = ctx.Text(ctx.bold, at, Load(SummaryStrings::kStatisticsTitle), CColorScheme::Text());
    int labelWidth = 0, symbolWidth = 0;
    for (const SSummaryStatisticsRow& row : data.statistics) {
        labelWidth = std::max(labelWidth, ctx.Width(ctx.normal, row.label));
        symbolWidth = std::max(symbolWidth, ctx.Width(ctx.normal, row.symbol));
    }
    const int symbolX = at.x() + static_cast<int>(1.1 * labelWidth);
    const int valueX = symbolX + static_cast<int>(1.1 * symbolWidth) + 4;
    const int lineHeight = ctx.Height(ctx.normal);
    int y = at.y() + static_cast<int>(1.2 * titleHeight);
    int right = at.x() + titleWidth;
    for (const SSummaryStatisticsRow& row : data.statistics) {
        ctx.Text(ctx.normal, QPoint(at.x(), y), row.label, CColorScheme::Text());
        ctx.Text(ctx.normal, QPoint(symbolX, y), row.symbol, CColorScheme::Text());
        right = std::max(right, valueX + ctx.Text(ctx.normal, QPoint(valueX, y), row.value, CColorScheme::Text()));
        y += lineHeight;
    }
    return QSize(right - at.x(), y - at.y());
}

QSize Settings(SContext& ctx, const QPoint& at, const SSummaryViewData& data)
{
    const QString rows[2][2] = {
        {Load(SummaryStrings::kSerialNumber), data.serial},
        {Load(SummaryStrings::kDateTime), data.dateTime},
    };
    const int titleHeight = TitleHeight(ctx);
    const int titleWidth = ctx.Text(ctx.bold, at, Load(SummaryStrings::kSettingsTitle), CColorScheme::Text());
    int labelWidth = 0;
    for (const auto& row : rows)
        labelWidth = std::max(labelWidth, ctx.Width(ctx.normal, row[0]));
    const int valueX = at.x() + static_cast<int>(1.4 * labelWidth);
    const int lineHeight = ctx.Height(ctx.normal);
    int y = at.y() + static_cast<int>(1.2 * titleHeight);
    int right = at.x() + titleWidth;
    for (const auto& row : rows) {
        ctx.Text(ctx.normal, QPoint(at.x(), y), row[0], CColorScheme::Text());
        right = std::max(right, valueX + ctx.Text(ctx.normal, QPoint(valueX, y), row[1], CColorScheme::Text()));
        y += lineHeight;
    }
    return QSize(right - at.x(), y - at.y());
}

QSize Comment(SContext& ctx, const SDrawState& state, const QPoint& at, int width, const SSummaryViewData& data)
{
    const bool hovered = ctx.hovered == CSummaryDrawing::areaComment && !ctx.printing;
    return CommentBlock(ctx, at, width, Load(SummaryStrings::kCommentTitle),
                        data.comment.isEmpty() ? Load(SummaryStrings::kAddComment) : data.comment, hovered,
                        [&state](const QRect& r) { state.Add(r, CSummaryDrawing::areaComment); });
}

} // namespace SummaryBlocks
