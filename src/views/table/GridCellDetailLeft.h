// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCellDetailLeft: the first cell of a detail row, a horizontal
// gradient from the gripper colour to the value colour.
#pragma once

#include "controls/GridCell.h"

class CGridCellDetailLeft : public CGridCell {
public:
    void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) override;
    int GetExtentWidth(const QFontMetrics&) const override { return 0; }
};
