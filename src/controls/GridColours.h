// SPDX-License-Identifier: GPL-3.0-or-later
// Colours of the grid control.  Cells have light, fixed backgrounds, so the
// grid keeps its own fixed colours for lines, selection and text instead of
// the palette's (a dark palette would otherwise put light text on light
// cells).
#pragma once

#include <QColor>

namespace GridColours {

inline QColor CellBackground() { return QColor(255, 255, 255); }
inline QColor GridLine() { return QColor(208, 215, 229); }
inline QColor SelectedBackground() { return QColor(49, 106, 197); }
inline QColor SelectedText() { return QColor(255, 255, 255); }
inline QColor FocusFrame() { return QColor(20, 20, 20); }
inline QColor HeaderBackground() { return QColor(232, 236, 242); }
inline QColor HeaderText() { return QColor(0, 0, 0); }
inline QColor HeaderLine() { return QColor(160, 168, 180); }

} // namespace GridColours
