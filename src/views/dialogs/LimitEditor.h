// SPDX-License-Identifier: GPL-3.0-or-later
// The limit editor of one or more series: the limit dialog with the range
// 0 to 100 Q, preset with the limit of the last series, and on OK the value
// stored (doubled, in half steps) in every series.
#pragma once

#include <QRect>

#include <vector>

class CPaperDoc;
class QWidget;

namespace LimitEditor {

// Shows the dialog beside `near` (global coordinates; ignored when null).
// True when the user pressed OK.
bool Edit(QWidget* parent, CPaperDoc& doc, const std::vector<int>& series, bool lower, const QRect& near = QRect());

// Stores a whole-Q limit in the series.  A series whose limit already shows
// that value keeps its stored byte (a half step is not cut off by an OK
// that changed nothing).
void Store(CPaperDoc& doc, const std::vector<int>& series, bool lower, int value);

// Places a dialog beside a rectangle of the screen, inside the screen.
void PlaceNear(QWidget* dialog, const QRect& near);

} // namespace LimitEditor
