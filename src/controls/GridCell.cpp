// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/GridCell.h"

#include <QFontMetrics>
#include <QPainter>

#include "controls/GridColours.h"

CGridCell::~CGridCell() = default;

void CGridCell::SetReadOnly(bool readOnly)
{
    if (readOnly)
        m_flags |= flagReadOnly;
    else
        m_flags &= static_cast<uint8_t>(~flagReadOnly);
}

QColor CGridCell::GetBackground() const
{
    if ((m_flags & flagBackground) == 0)
        return QColor();
    return QColor::fromRgb(m_background);
}

void CGridCell::SetBackground(const QColor& colour)
{
    if (colour.isValid()) {
        m_background = colour.rgb();
        m_flags |= flagBackground;
    } else {
        m_flags &= static_cast<uint8_t>(~flagBackground);
    }
}

void CGridCell::DrawBackground(QPainter& painter, const QRect& rect, const SCellDrawContext& context) const
{
    if (context.selected && !context.printing) {
        painter.fillRect(rect, GridColours::SelectedBackground());
        return;
    }
    const QColor bg = GetBackground();
    painter.fillRect(rect, bg.isValid() ? bg : GridColours::CellBackground());
}

void CGridCell::DrawTextIn(QPainter& painter, const QRect& rect, const QString& text,
                           const SCellDrawContext& context) const
{
    if (text.isEmpty())
        return;
    const QRect inner = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter.setPen(context.selected && !context.printing ? GridColours::SelectedText() : GetTextColour());
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, inner.width());
    painter.drawText(inner, static_cast<int>(GetFormat() | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

void CGridCell::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context)
{
    DrawBackground(painter, rect, context);
    DrawTextIn(painter, rect, m_text, context);
}

int CGridCell::GetExtentWidth(const QFontMetrics& metrics) const
{
    // A few pixels more than the text: glyph advances are rounded, and a
    // column sized to the exact width would cut the text off.
    return metrics.horizontalAdvance(m_text) + 2 * kTextMargin + 4;
}

bool CGridCell::OnMouseMove(const QPoint&, const QRect&, Qt::CursorShape& cursor)
{
    cursor = Qt::ArrowCursor;
    return false;
}

bool CGridCell::OnMouseLeave()
{
    return false;
}

bool CGridCell::OnClick(const QPoint&, const QRect&)
{
    return false;
}

QString CGridCell::GetToolTip(const QPoint&) const
{
    return QString();
}
