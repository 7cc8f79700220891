// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing of the summary page: the title, the diagram with one bar per
// entry, the values list, the statistics, the settings and the comment.
// One routine lays the blocks out and draws them; in measure mode it only
// lays out.  It draws on any painter: the screen (through the view's
// buffer), a printer, an SVG generator or an image.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <vector>

#include "views/summary/SummaryLayout.h"

class QPainter;
struct SSummaryViewData;

// A clickable or tool-tip area registered while drawing.
struct SSummaryArea {
    QRect rect;
    int id = 0;
    int entry = -1;   // the entry of a bar
};

class CSummaryDrawing {
public:
    // Area ids: the order link, a comment line (or "[Add]"), a bar.
    enum AreaId { areaNone = 0, areaOrder = 1, areaComment = 2, areaBar = 3 };

    struct SStyle {
        QFont font;              // the view's font
        bool printing = false;   // printer or picture: no hover marks
        int hovered = areaNone;  // the area under the mouse
        QRect visible;           // only what meets it is drawn (null: everything)
    };

    // Lays the page out for a client of `clientWidth` pixels and, unless
    // `measure`, draws it with its top left at the painter's origin.
    // `memory` keeps the values list's height between calls; `areas`, when
    // given, receives the sensitive areas.  An empty summary draws nothing
    // and measures 0 x 0.
    static SummaryLayout::SPlacement Paint(QPainter& painter, const SSummaryViewData& data, int clientWidth,
                                           const SStyle& style, bool measure, SummaryLayout::SListHeightMemory& memory,
                                           std::vector<SSummaryArea>* areas);

    // The tool tip of an area: for a bar "Measurement number %d" (the entry
    // number) and "%0.1f Q" (its value byte x 0.5); empty for the others.
    static QString ToolTip(const SSummaryViewData& data, const SSummaryArea& area);

    // The page title's font: the view's font, bold and larger.
    static QFont TitleFont(const QFont& font);
};
