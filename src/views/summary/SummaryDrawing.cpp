// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryDrawing.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>

#include "data/SummaryStrings.h"
#include "platform/Text.h"
#include "views/ColorScheme.h"
#include "views/summary/SummaryBlocks.h"
#include "views/ViewText.h"

namespace {

QFont PixelFont(const QFont& font)
{
    // Sizes in pixels keep the layout the same on every device (a printer
    // or an SVG generator has its own resolution; the caller scales).
    QFont f = font;
    if (f.pixelSize() <= 0)
        f.setPixelSize(std::max(QFontInfo(font).pixelSize(), 6));
    return f;
}

QRect ToQRect(const SummaryLayout::SRect& r)
{
    return QRect(r.x, r.y, r.width, r.height);
}

} // namespace

QFont CSummaryDrawing::TitleFont(const QFont& font)
{
    QFont title = PixelFont(font);
    title.setPixelSize(title.pixelSize() * 3 / 2);
    title.setWeight(QFont::Bold);
    return title;
}

SummaryLayout::SPlacement CSummaryDrawing::Paint(QPainter& painter, const SSummaryViewData& data, int clientWidth,
                                                 const SStyle& style, bool measure,
                                                 SummaryLayout::SListHeightMemory& memory,
                                                 std::vector<SSummaryArea>* areas)
{
    using namespace SummaryBlocks;
    if (areas != nullptr)
        areas->clear();
    if (data.IsEmpty())
        return SummaryLayout::SPlacement();

    SContext ctx(painter);
    ctx.draw = false;
    ctx.printing = style.printing;
    ctx.hovered = style.printing ? areaNone : style.hovered;
    ctx.SetFonts(PixelFont(style.font));
    SDrawState state;
    state.visible = style.visible;

    painter.save();
    const QFont titleFont = TitleFont(style.font);
    const int titleHeight = ctx.Height(titleFont);
    const SummaryLayout::SValueList list = ValueList(ctx, data);
    const QSize stats = Statistics(ctx, QPoint(), data);
    const QSize settings = Settings(ctx, QPoint(), data);
    SummaryLayout::SPlacement placement = SummaryLayout::Place(
        clientWidth, titleHeight, list, SummaryLayout::SSize{stats.width(), stats.height()},
        SummaryLayout::SSize{settings.width(), settings.height()}, memory,
        [&](int width) { return Comment(ctx, state, QPoint(), width, data).height(); });

    if (!measure) {
        ctx.draw = true;
        state.areas = areas;
        ctx.Text(titleFont, QPoint(SummaryLayout::kTitleX, SummaryLayout::kTitleY),
                 ViewText::Load(SummaryStrings::kPageTitle), CColorScheme::Text());
        const QRect diagram = ToQRect(placement.diagram);
        if (state.Shows(diagram))
            Diagram(ctx, state, diagram, data);
        Values(ctx, state, QPoint(placement.values.x, placement.values.y), list, placement.listHeight, data);
        Statistics(ctx, QPoint(placement.statistics.x, placement.statistics.y), data);
        Settings(ctx, QPoint(placement.settings.x, placement.settings.y), data);
        Comment(ctx, state, QPoint(placement.comment.x, placement.comment.y), placement.comment.width, data);
    }
    painter.restore();
    return placement;
}

QString CSummaryDrawing::ToolTip(const SSummaryViewData& data, const SSummaryArea& area)
{
    if (area.id != areaBar || area.entry < 0 || area.entry >= static_cast<int>(data.entries.size()))
        return QString();
    const SSummaryEntry& e = data.entries[static_cast<size_t>(area.entry)];
    return ViewText::LoadFormat(SummaryStrings::kMeasurementNumber, area.entry + 1) + QChar('\n') +
           ViewText::LoadFormat(SummaryStrings::kValueQ, e.valueByte * 0.5);
}
