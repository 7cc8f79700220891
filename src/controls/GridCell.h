// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCell: one cell of the grid control, a text cell that custom cells
// derive from.  A cell holds its display text, a second text used when the
// cell is copied, the alignment, the read-only flag and a background colour;
// custom cells draw themselves, answer clicks and mouse moves and give tool
// tips.  The grid draws a cell with the same Draw call on screen, on a
// printer and into pictures (context.printing tells which).
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

class QPainter;
class QFontMetrics;
class CGridCtrl;

// What a cell needs to know while it draws.
struct SCellDrawContext {
    bool selected = false;
    bool focused = false;
    bool printing = false;   // printer or picture: no hover marks, no screen-only fills
    // The part of the cell that is visible (the cell's rectangle may reach
    // beyond it, for example a merged cell scrolled half out of view).
    QRect clip;
};

class CGridCell {
public:
    CGridCell() = default;
    virtual ~CGridCell();
    CGridCell(const CGridCell&) = delete;
    CGridCell& operator=(const CGridCell&) = delete;

    const QString& GetText() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }
    // The text copied for this cell (empty unless set).
    virtual QString GetCopyText() const { return m_copyText; }
    void SetCopyText(const QString& text) { m_copyText = text; }

    // Horizontal alignment of the text (Qt::AlignLeft, AlignHCenter, AlignRight).
    Qt::Alignment GetFormat() const { return Qt::Alignment(m_format); }
    void SetFormat(Qt::Alignment format) { m_format = static_cast<uint16_t>(format); }

    bool IsReadOnly() const { return (m_flags & flagReadOnly) != 0; }
    void SetReadOnly(bool readOnly);

    // Background colour; an invalid colour means the grid's default.
    QColor GetBackground() const;
    void SetBackground(const QColor& colour);
    // Text colour (black by default: the cells' backgrounds are light in
    // every palette).
    QColor GetTextColour() const { return QColor::fromRgb(m_textColour); }
    void SetTextColour(const QColor& colour) { m_textColour = colour.rgb(); }

    // Draws background, text and nothing else; the grid draws the lines.
    virtual void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context);
    // The width the cell needs to show its whole text.
    virtual int GetExtentWidth(const QFontMetrics& metrics) const;

    // Mouse over the cell at `local` (relative to the cell's top left);
    // `cursor` receives the cursor to show.  True when the cell must be
    // redrawn.
    virtual bool OnMouseMove(const QPoint& local, const QRect& rect, Qt::CursorShape& cursor);
    // The mouse left the cell; true when it must be redrawn.
    virtual bool OnMouseLeave();
    // A left click released on the cell; true when the cell handled it.
    virtual bool OnClick(const QPoint& local, const QRect& rect);
    // The tool tip at `local`; empty for none.
    virtual QString GetToolTip(const QPoint& local) const;

    // Padding left and right of a text.
    static constexpr int kTextMargin = 4;

protected:
    // Fills the background (selection colours when selected and not printing).
    void DrawBackground(QPainter& painter, const QRect& rect, const SCellDrawContext& context) const;
    // Draws `text` in `rect` with the cell's alignment, vertically centred.
    void DrawTextIn(QPainter& painter, const QRect& rect, const QString& text, const SCellDrawContext& context) const;

private:
    enum : uint8_t { flagReadOnly = 1, flagBackground = 2 };
    QString m_text;
    QString m_copyText;
    QRgb m_background = 0;
    QRgb m_textColour = 0xFF000000u;
    uint16_t m_format = Qt::AlignLeft;
    uint8_t m_flags = 0;
};
