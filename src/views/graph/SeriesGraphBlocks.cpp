// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/graph/SeriesGraphBlocks.h"

#include <QFontInfo>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <unordered_map>

#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/ColorScheme.h"
#include "views/graph/GraphGrid.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

// The block captions, loaded once per language: every series graph draws
// the same ones, and handing out the same text lets the width memo below
// recognise it without hashing.
const QString& Load(uint32_t id)
{
    static std::unordered_map<uint32_t, QString> texts;
    static uint64_t generation = ~uint64_t(0);
    if (generation != Platform::LanguageGeneration()) {
        texts.clear();
        generation = Platform::LanguageGeneration();
    }
    auto it = texts.find(id);
    if (it == texts.end())
        it = texts.emplace(id, ViewText::Load(id)).first;
    return it->second;
}
using ViewText::LoadFormat;

namespace SeriesGraphBlocks {

namespace {

constexpr int kMargin = CSeriesGraph::kMargin;

// The label font: the cell's font made smaller until "55.5" fits a bar.
QFont LabelFont(const SContext& ctx, int barWidth)
{
    return FittedFont(ctx, QStringLiteral("55.5"), barWidth);
}

// The characters of a formatted number.
constexpr std::u16string_view kNumberCharacters = u"0123456789.,-+= ";

bool IsNumberCharacter(char16_t c)
{
    return kNumberCharacters.find(c) != std::u16string_view::npos;
}

} // namespace

void SContext::SetFonts(const QFont& base)
{
    // Every series graph sets the same font on the same device: the fonts,
    // their metrics and their width caches are made once and handed out
    // again while font and resolution stay (building them costs more than
    // measuring a whole graph).
    struct SFontSet {
        QFont base;
        int dpi = -1;
        QFont normal, underlined, bold, boldUnderlined;
        std::vector<QFontMetricsF> metrics;
        std::array<WidthCache*, 4> widths{};
        std::array<int, 256>* valueWidths = nullptr;
        std::array<std::array<qreal, 128>, 4> numberAdvances{};
    };
    static SFontSet last;
    const int dpi = painter.device()->logicalDpiX();
    if (last.dpi != dpi || !(last.base == base) || last.base.resolveMask() != base.resolveMask()) {
        SFontSet set;
        set.base = base;
        set.dpi = dpi;
        set.normal = base;
        set.underlined = base;
        set.underlined.setUnderline(true);
        set.bold = base;
        set.bold.setWeight(QFont::ExtraBold);
        set.boldUnderlined = set.bold;
        set.boldUnderlined.setUnderline(true);
        // Shaping a text costs more than anything else here, and the blocks
        // measure the same labels for every series: widths of short texts
        // are kept per font and resolution.
        static std::map<QString, std::unique_ptr<WidthCache>> widthCaches;
        const QString dpiKey = QChar('@') + QString::number(dpi);
        size_t index = 0;
        for (const QFont* font : {&set.normal, &set.underlined, &set.bold, &set.boldUnderlined}) {
            set.metrics.emplace_back(*font, painter.device());
            std::unique_ptr<WidthCache>& cache = widthCaches[font->key() + dpiKey];
            if (!cache)
                cache = std::make_unique<WidthCache>();
            set.widths[index] = cache.get();
            for (char16_t c = 32; c < 127; ++c)
                set.numberAdvances[index][c] = set.metrics[index].horizontalAdvance(QChar(c));
            ++index;
        }
        // Widths of the value texts, measured once per font and resolution.
        static std::map<QString, std::unique_ptr<std::array<int, 256>>> cache;
        std::unique_ptr<std::array<int, 256>>& widths = cache[set.normal.key() + dpiKey];
        if (!widths) {
            widths = std::make_unique<std::array<int, 256>>();
            for (int b = 0; b < 256; ++b)
                (*widths)[static_cast<size_t>(b)] =
                    static_cast<int>(std::ceil(set.metrics[0].horizontalAdvance(ValueText(static_cast<uint8_t>(b)))));
        }
        set.valueWidths = widths.get();
        last = std::move(set);
    }
    // A width cache that grew past its bound starts afresh.
    for (WidthCache* cache : last.widths) {
        if (cache->size() > 50000)
            cache->clear();
    }
    normal = last.normal;
    underlined = last.underlined;
    bold = last.bold;
    boldUnderlined = last.boldUnderlined;
    m_metrics = last.metrics;
    m_widths = last.widths;
    m_valueWidths = last.valueWidths;
    for (size_t i = 0; i < 4; ++i)
        m_numberAdvances[i] = &last.numberAdvances[i];
}

int SContext::FontIndex(const QFont& font) const
{
    if (m_metrics.size() != 4)
        return -1;
    if (&font == &normal)
        return 0;
    if (&font == &underlined)
        return 1;
    if (&font == &bold)
        return 2;
    if (&font == &boldUnderlined)
        return 3;
    return -1;
}

QFontMetricsF SContext::Metrics(const QFont& font) const
{
    const int index = FontIndex(font);
    return index >= 0 ? m_metrics[static_cast<size_t>(index)] : QFontMetricsF(font, painter.device());
}

const QString& SContext::ValueText(uint8_t byte)
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        for (int b = 0; b < 256; ++b)
            t.push_back(ViewText::Q(Platform::Format("%0.1f", b * 0.5)));
        return t;
    }();
    return texts[byte];
}

int SContext::ValueWidth(uint8_t byte) const
{
    if (m_valueWidths != nullptr)
        return (*m_valueWidths)[byte];
    return Width(normal, ValueText(byte));
}

int SContext::Width(const QFont& font, const QString& text) const
{
    const int index = FontIndex(font);
    if (index < 0 || text.size() > 40)
        return static_cast<int>(std::ceil(Metrics(font).horizontalAdvance(text)));
    // Numbers (most texts of a graph differ from series to series only in
    // them) are measured from their characters' advances; what follows the
    // number (a unit) is measured as a text of its own.
    QString rest = text;
    qreal numberWidth = 0;
    if (const std::array<qreal, 128>* advances = m_numberAdvances[static_cast<size_t>(index)]; advances != nullptr) {
        qsizetype length = 0;
        for (; length < text.size(); ++length) {
            const char16_t u = text[length].unicode();
            if (u >= 128 || !IsNumberCharacter(u))
                break;
            numberWidth += (*advances)[u];
        }
        if (length == text.size())
            return static_cast<int>(std::ceil(numberWidth));
        // One character after the number (a unit such as "Q"): its advance.
        if (length > 0 && length + 1 == text.size() && text[length].unicode() >= 32 && text[length].unicode() < 127)
            return static_cast<int>(std::ceil(numberWidth + (*advances)[text[length].unicode()]));
        if (length > 0)
            rest = text.mid(length);
    }
    const int restWidth = CachedWidth(index, rest);
    return numberWidth > 0 ? static_cast<int>(std::ceil(numberWidth)) + restWidth : restWidth;
}

int SContext::CachedWidth(int index, const QString& text) const
{
    // A text handed out again (a caption, a unit) is found by the address of
    // its characters; the memo keeps a copy, so the address cannot be
    // reused for another text while it is there.
    struct SMemo {
        QString text;
        const WidthCache* font = nullptr;   // the font (and resolution) measured in
        int width = 0;
    };
    static std::array<std::array<SMemo, 64>, 4> memo;
    const uintptr_t address = reinterpret_cast<uintptr_t>(text.constData());
    SMemo& slot = memo[static_cast<size_t>(index)][(address >> 4) % 64];
    if (!text.isEmpty() && slot.font == m_widths[static_cast<size_t>(index)] &&
        slot.text.constData() == text.constData() && slot.text.size() == text.size())
        return slot.width;
    WidthCache& cache = *m_widths[static_cast<size_t>(index)];
    const auto it = cache.constFind(text);
    const int width = it != cache.constEnd()
                          ? it.value()
                          : static_cast<int>(std::ceil(m_metrics[static_cast<size_t>(index)].horizontalAdvance(text)));
    if (it == cache.constEnd())
        cache.insert(text, width);
    slot.text = text;
    slot.font = &cache;
    slot.width = width;
    return width;
}

int SContext::Height(const QFont& font) const
{
    return static_cast<int>(std::ceil(Metrics(font).height()));
}

int SContext::Text(const QFont& font, const QPoint& at, const QString& text, const QColor& colour) const
{
    const int width = Width(font, text);
    if (draw && !text.isEmpty()) {
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QRect(at.x(), at.y(), width + 2, Height(font)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         text);
    }
    return width;
}

void SContext::AddArea(const QRect& rect, int id, const QString& tip) const
{
    if (areas != nullptr)
        areas->push_back(SSensitiveArea{rect, id, tip});
}

QSize Diagram(SContext& ctx, const QRect& area, const SSeriesGraphData& data)
{
    const int n = data.impacts;
    const int titleHeight = TitleHeight(ctx);
    const QString title = Load(data.rValues ? ViewStrings::kRDiagram : ViewStrings::kQDiagram) + QChar(' ');
    int titleWidth = ctx.Text(ctx.bold, area.topLeft(), title, CColorScheme::Text());
    if (n > 1) {
        const QString link = Load(data.orderedByValue ? ViewStrings::kOrderedByValue : ViewStrings::kMeasurementOrder);
        const bool hovered = ctx.hovered == CSeriesGraph::areaOrder && !ctx.printing;
        const QFont& font = hovered ? ctx.boldUnderlined : ctx.normal;
        const QPoint at(area.left() + titleWidth, area.top() + (titleHeight - ctx.Height(font)) / 2);
        const int linkWidth = ctx.Text(font, at, link, CColorScheme::Link());
        ctx.AddArea(QRect(at, QSize(linkWidth, ctx.Height(font))), CSeriesGraph::areaOrder);
        titleWidth += linkWidth;
    }

    // Plot area: below the title, above the measurement numbers.
    const int textHeight = ctx.Height(ctx.normal);
    const int icon = std::max(16, textHeight);
    const int plotTop = area.top() + static_cast<int>(1.2 * titleHeight) + textHeight / 2;
    const int plotBottom = area.bottom() - (textHeight + 6);
    const int plotLeft = area.left() + static_cast<int>(1.5 * icon);

    // The automatic-axis switch, vertically centred on the plot.
    const QRect iconRect(area.left(), (plotTop + plotBottom) / 2 - icon / 2, icon, icon);
    if (ctx.draw)
        CSeriesGraph::DrawAxisIcon(ctx.painter, iconRect, data.autoAxis);
    ctx.AddArea(iconRect.adjusted(-8, -8, 8, 8), CSeriesGraph::areaAxis,
                Load(data.autoAxis ? ViewStrings::kAutoAxisOnTip : ViewStrings::kAutoAxisOffTip));

    // Value range and axes.
    std::vector<double> values(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        values[static_cast<size_t>(k)] = data.Value(k);
    const GraphAxis::SRange range = GraphAxis::ValueRange(values, data.withoutLimits, data.lowerByte * 0.5,
                                                          data.upperByte * 0.5, data.autoAxis);
    CGraphGrid grid;
    grid.SetRangeY(range.minimum, range.maximum);
    grid.SetRangeX(-0.5, n + 0.5);
    const int labelWidth = grid.LayoutValueAxis(ctx.painter, ctx.normal, std::max(plotBottom - plotTop, 1));
    const int axisX = plotLeft + labelWidth;
    const int plotRight = std::max(axisX + 10, area.right());
    grid.SetPlot(QRect(QPoint(axisX, plotTop), QPoint(plotRight, plotBottom)));

    const GraphAxis::SBars bars = GraphAxis::BarWidth(n, plotRight - axisX - 4 - kMargin);
    const int barArea = n * bars.width + (n + 2) * bars.gap;
    const int blockWidth = std::max(titleWidth, (axisX - area.left()) + 2 * kMargin + barArea + icon * 3 / 2 + 4);
    if (!ctx.draw)
        return QSize(blockWidth, area.height());

    QPainter& p = ctx.painter;
    grid.Draw(p, ctx.normal);

    // Limit band and limit lines.
    if (!data.withoutLimits) {
        const int yLower = grid.ValueToY(data.lowerByte * 0.5);
        const int yUpper = grid.ValueToY(data.upperByte * 0.5);
        const QRect band(QPoint(axisX + 3, std::min(yLower, yUpper)), QPoint(plotRight + 3, std::max(yLower, yUpper)));
        p.fillRect(band, CColorScheme::LimitBandFill());
        p.setPen(QPen(CColorScheme::LimitLine(), 1));
        p.drawLine(axisX + 3, yLower, plotRight + 3, yLower);
        p.drawLine(axisX + 3, yUpper, plotRight + 3, yUpper);
    }

    // Mean mark on the value axis.
    if (n > 0) {
        const int yMean = grid.ValueToY(data.mean);
        p.setPen(QPen(CColorScheme::Text(), 2));
        p.drawLine(axisX - 2, yMean, axisX + 4, yMean);
    }

    // Bars, in measurement order or ascending by value.
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (data.orderedByValue)
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return data.valueBytes[static_cast<size_t>(a)] < data.valueBytes[static_cast<size_t>(b)]; });
    const QFont labelFont = LabelFont(ctx, bars.width);
    const bool labels = labelFont.pixelSize() > 3 && bars.width > 0;
    const int labelHeight = ctx.Height(labelFont);
    const int axisY = plotBottom;
    const int skip = GraphAxis::NumberSkip(ctx.Width(ctx.normal, QString::number(std::max(n - 1, 0))), bars);
    int x = axisX + bars.gap + 4;
    for (int k = 0; k < n; ++k, x += bars.width + bars.gap) {
        const int index = order[static_cast<size_t>(k)];
        const uint8_t byte = data.valueBytes[static_cast<size_t>(index)];
        const double value = byte * 0.5;
        const int top = grid.ValueToY(value);
        const bool outside = !data.withoutLimits && (byte < data.lowerByte || byte > data.upperByte);
        const QColor colour = outside ? CColorScheme::BarOutside() : CColorScheme::BarInside();
        const QRect bar(QPoint(x, top), QPoint(x + bars.width - 1, axisY));
        if (bars.width > 0)
            p.fillRect(bar, colour);
        const QString tip = LoadFormat(ViewStrings::kMeasurementNumber, index + 1) + QChar('\n') +
                            ViewText::Q(Platform::Format("%0.1f %s", value, data.unit.toUtf8().constData()));
        ctx.AddArea(QRect(QPoint(x, std::min(top, axisY - 6)), QPoint(x + std::max(bars.width, 1) - 1, axisY)),
                    CSeriesGraph::areaBar, tip);
        if (labels) {
            const QString& text = SContext::ValueText(byte);
            const int w = ctx.Width(labelFont, text);
            p.setFont(labelFont);
            p.setPen(CColorScheme::Text());
            p.drawText(QRect(x + bars.width / 2 - w / 2 - 1, top - 3 - labelHeight, w + 2, labelHeight),
                       Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, text);
        }
        if (!data.orderedByValue && (index + 1) % (skip + 1) == 0) {
            const QString number = QString::number(index + 1);
            const int w = ctx.Width(ctx.normal, number);
            ctx.Text(ctx.normal, QPoint(x + bars.width / 2 - w / 2, axisY + 3), number, CColorScheme::Text());
        }
    }
    return QSize(blockWidth, area.height());
}

QSize Values(SContext& ctx, const QPoint& at, int listHeight, const SSeriesGraphData& data)
{
    const int titleHeight = TitleHeight(ctx);
    const int titleWidth = ctx.Text(ctx.bold, at, Load(data.rValues ? ViewStrings::kRValues : ViewStrings::kQValues),
                                    CColorScheme::Text());
    const int lineHeight = ctx.Height(ctx.normal);
    const int firstY = at.y() + static_cast<int>(1.2 * titleHeight);
    int columnX = at.x();
    int y = firstY;
    int widest = 0;        // widest text so far
    int right = at.x() + titleWidth;
    int bottom = at.y() + titleHeight;
    for (int k = 0; k < data.impacts; ++k) {
        if (y + lineHeight > at.y() + listHeight && y > firstY) {
            columnX += static_cast<int>(1.8 * widest);
            y = firstY;
        }
        const uint8_t byte = data.valueBytes[static_cast<size_t>(k)];
        const int w = ctx.ValueWidth(byte);
        if (ctx.draw)
            ctx.Text(ctx.normal, QPoint(columnX, y), SContext::ValueText(byte), CColorScheme::Text());
        widest = std::max(widest, w);
        right = std::max(right, columnX + w);
        bottom = std::max(bottom, y + lineHeight);
        y += lineHeight;
    }
    return QSize(right - at.x(), bottom - at.y());
}

QSize Statistics(SContext& ctx, const QPoint& at, const SSeriesGraphData& data)
{
    const int n = data.impacts;
    const QByteArray unit = data.unit.toUtf8();
    const auto withUnit = [&](double value) {
        return QStringLiteral("= ") + ViewText::Q(Platform::Format("%0.*f %s", data.decimals, value, unit.constData()));
    };
    const QString none = ViewText::Q(Platform::Format("= -- %s", unit.constData()));
    struct Row {
        QString label, symbol, value;
    };
    const Row rows[] = {
        {Load(ViewStrings::kMeasurements), Load(ViewStrings::kSymbolCount), QStringLiteral("= %1").arg(n)},
        {Load(ViewStrings::kMeanValue), Load(ViewStrings::kSymbolMean), withUnit(data.mean)},
        {Load(ViewStrings::kStandardDeviation), Load(ViewStrings::kSymbolDeviation), n < 2 ? none : withUnit(data.stdDev)},
        {Load(ViewStrings::kRange), QString(), n == 0 ? none : withUnit(data.range)},
        {Load(ViewStrings::kMinimum), QString(), n == 0 ? none : withUnit(data.minimum)},
        {Load(ViewStrings::kMaximum), QString(), n == 0 ? none : withUnit(data.maximum)},
    };
    const int titleHeight = TitleHeight(ctx);
    const int titleWidth = ctx.Text(ctx.bold, at, Load(ViewStrings::kStatistics), CColorScheme::Text());
    int labelWidth = 0, symbolWidth = 0;
    for (const Row& row : rows) {
        labelWidth = std::max(labelWidth, ctx.Width(ctx.normal, row.label));
        symbolWidth = std::max(symbolWidth, ctx.Width(ctx.normal, row.symbol));
    }
    const int symbolX = at.x() + static_cast<int>(1.1 * labelWidth);
    const int valueX = symbolX + static_cast<int>(1.1 * symbolWidth) + 4;
    const int lineHeight = ctx.Height(ctx.normal);
    int y = at.y() + static_cast<int>(1.2 * titleHeight);
    int right = at.x() + titleWidth;
    for (const Row& row : rows) {
        ctx.Text(ctx.normal, QPoint(at.x(), y), row.label, CColorScheme::Text());
        ctx.Text(ctx.normal, QPoint(symbolX, y), row.symbol, CColorScheme::Text());
        right = std::max(right, valueX + ctx.Text(ctx.normal, QPoint(valueX, y), row.value, CColorScheme::Text()));
        y += lineHeight;
    }
    return QSize(right - at.x(), y - at.y());
}

QSize Settings(SContext& ctx, const QPoint& at, const SSeriesGraphData& data)
{
    struct Row {
        QString label, value;
        int id;
    };
    const Row rows[] = {
        {Load(ViewStrings::kLowerLimit), data.lowerText + QChar(' ') + data.unit, CSeriesGraph::areaLower},
        {Load(ViewStrings::kUpperLimit), data.upperText + QChar(' ') + data.unit, CSeriesGraph::areaUpper},
        {Load(ViewStrings::kSerialNumber), data.serial, CSeriesGraph::areaNone},
    };
    const int titleHeight = TitleHeight(ctx);
    const int titleWidth = ctx.Text(ctx.bold, at, Load(ViewStrings::kSettings), CColorScheme::Text());
    int labelWidth = 0;
    for (const Row& row : rows)
        labelWidth = std::max(labelWidth, ctx.Width(ctx.normal, row.label));
    const int valueX = at.x() + static_cast<int>(1.4 * labelWidth);
    const int lineHeight = ctx.Height(ctx.normal);
    int y = at.y() + static_cast<int>(1.2 * titleHeight);
    int right = at.x() + titleWidth;
    for (const Row& row : rows) {
        ctx.Text(ctx.normal, QPoint(at.x(), y), row.label, CColorScheme::Text());
        int w = 0;
        if (row.id != CSeriesGraph::areaNone) {
            const bool hovered = ctx.hovered == row.id && !ctx.printing;
            w = ctx.Text(hovered ? ctx.underlined : ctx.normal, QPoint(valueX, y), row.value, CColorScheme::Link());
            ctx.AddArea(QRect(valueX, y, w, lineHeight), row.id);
        } else {
            w = ctx.Text(ctx.normal, QPoint(valueX, y), row.value, CColorScheme::Text());
        }
        right = std::max(right, valueX + w);
        y += lineHeight;
    }
    return QSize(right - at.x(), y - at.y());
}

int TitleHeight(const SContext& ctx)
{
    return ctx.Height(ctx.bold);
}

QFont FittedFont(const SContext& ctx, const QString& sample, int width)
{
    QFont font = ctx.normal;
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    font.setPixelSize(std::max(size, 1));
    while (size > 1 && ctx.Width(font, sample) > width) {
        --size;
        font.setPixelSize(size);
    }
    return font;
}

QSize CommentBlock(SContext& ctx, const QPoint& at, int width, const QString& title, const QString& text,
                   bool hovered, const std::function<void(const QRect&)>& lineArea)
{
    const int titleHeight = TitleHeight(ctx);
    const int titleWidth = ctx.Text(ctx.bold, at, title, CColorScheme::Text());
    const QFont& font = hovered ? ctx.underlined : ctx.normal;
    const QFontMetricsF metrics = ctx.Metrics(font);
    const QStringList lines = CSeriesGraph::WrapText(text, std::max(width, 40),
                                                     [&](const QString& t) { return metrics.horizontalAdvance(t); });
    const int lineHeight = ctx.Height(font);
    int y = at.y() + static_cast<int>(1.2 * titleHeight);
    int right = at.x() + titleWidth;
    for (const QString& line : lines) {
        const int w = ctx.Text(font, QPoint(at.x(), y), line, CColorScheme::Link());
        lineArea(QRect(at.x(), y, std::max(w, 8), lineHeight));
        right = std::max(right, at.x() + w);
        y += lineHeight;
    }
    return QSize(right - at.x(), y - at.y());
}

QSize Comment(SContext& ctx, const QPoint& at, int width, const SSeriesGraphData& data)
{
    const bool hovered = ctx.hovered == CSeriesGraph::areaComment && !ctx.printing;
    return CommentBlock(ctx, at, width, Load(ViewStrings::kComment),
                        data.comment.isEmpty() ? Load(ViewStrings::kAdd) : data.comment, hovered,
                        [&ctx](const QRect& r) { ctx.AddArea(r, CSeriesGraph::areaComment); });
}

} // namespace SeriesGraphBlocks
