// SPDX-License-Identifier: GPL-3.0-or-later
// The blocks of the series graph, each drawn by one function that measures
// (returns its size) and, when the context says so, draws.  Used by
// CSeriesGraph::Paint only.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "views/graph/SeriesGraph.h"

namespace SeriesGraphBlocks {

// Fonts, mode and output of one drawing.
struct SContext {
    QPainter& painter;
    bool draw = false;
    bool printing = false;
    int hovered = 0;
    QFont normal, underlined, bold, boldUnderlined;
    std::vector<SSensitiveArea>* areas = nullptr;

    explicit SContext(QPainter& p) : painter(p) {}
    // Sets the four fonts from the cell's font and measures them once.
    void SetFonts(const QFont& base);
    // The metrics of a font on the painter's device (the four fonts' are
    // kept: building metrics costs more than most measurements).
    QFontMetricsF Metrics(const QFont& font) const;
    // The text of an impact value ("%0.1f" of byte x 0.5).
    static const QString& ValueText(uint8_t byte);
    // Its width in the normal font (kept per font for the whole program).
    int ValueWidth(uint8_t byte) const;
    int Width(const QFont& font, const QString& text) const;
    int Height(const QFont& font) const;
    // Draws a text with its top left at `at` (nothing in measure mode);
    // returns its width.
    int Text(const QFont& font, const QPoint& at, const QString& text, const QColor& colour) const;
    void AddArea(const QRect& rect, int id, const QString& tip = QString()) const;

private:
    using WidthCache = QHash<QString, int>;
    int FontIndex(const QFont& font) const;
    int CachedWidth(int index, const QString& text) const;

    std::vector<QFontMetricsF> m_metrics;   // normal, underlined, bold, bold underlined
    std::array<WidthCache*, 4> m_widths{};  // widths of short texts, per font, kept for the program
    const std::array<int, 256>* m_valueWidths = nullptr;
    // Advances of the characters numbers are written with, per font: the
    // width of a number is their sum (these characters are not kerned).
    std::array<const std::array<qreal, 128>*, 4> m_numberAdvances{};
};

// Pieces the series graph and the summary page share.
// The height of a block title (the bold font).
int TitleHeight(const SContext& ctx);
// The normal font made smaller until `sample` fits `width` (or it can shrink
// no more): the label font of diagram bars.
QFont FittedFont(const SContext& ctx, const QString& sample, int width);
// A comment block: `title` in bold, then `text` wrapped to `width` in the
// link colour (underlined when `hovered`); `lineArea` receives each line's
// area.  Returns the block's size.
QSize CommentBlock(SContext& ctx, const QPoint& at, int width, const QString& title, const QString& text,
                   bool hovered, const std::function<void(const QRect&)>& lineArea);

// Each block returns its size (without the margin around it).
QSize Diagram(SContext& ctx, const QRect& area, const SSeriesGraphData& data);
QSize Values(SContext& ctx, const QPoint& at, int listHeight, const SSeriesGraphData& data);
QSize Statistics(SContext& ctx, const QPoint& at, const SSeriesGraphData& data);
QSize Settings(SContext& ctx, const QPoint& at, const SSeriesGraphData& data);
QSize Comment(SContext& ctx, const QPoint& at, int width, const SSeriesGraphData& data);

} // namespace SeriesGraphBlocks
