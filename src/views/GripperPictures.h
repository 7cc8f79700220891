// SPDX-License-Identifier: GPL-3.0-or-later
// The two small pictures of the series table's gripper cell, the expand
// sign and the "use in summary" tick box, drawn into a box.  The table's
// cells and the menus' icons both draw them.
#pragma once

class QPainter;
class QRect;

namespace GripperPictures {

// A plus in a square (a minus when `expanded`), centred in `box`.
void DrawExpandSign(QPainter& painter, const QRect& box, bool expanded);
// A square with a tick when `ticked`, centred in `box`.
void DrawTickBox(QPainter& painter, const QRect& box, bool ticked);

} // namespace GripperPictures
