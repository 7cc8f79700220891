// SPDX-License-Identifier: GPL-3.0-or-later
// CNameStatusCell: the status cell of a row of the series names manager.
// It draws one of the status marks centred (or none) and names it in its
// tool tip.
#pragma once

#include "controls/GridCell.h"
#include "views/dialogs/names/NameMarks.h"

class CNameStatusCell : public CGridCell {
public:
    CNameStatusCell();

    NameMarks::Mark GetMark() const { return m_mark; }
    void SetMark(NameMarks::Mark mark) { m_mark = mark; }

    void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) override;
    int GetExtentWidth(const QFontMetrics& metrics) const override;
    QString GetToolTip(const QPoint& local) const override;

private:
    NameMarks::Mark m_mark = NameMarks::none;
};
