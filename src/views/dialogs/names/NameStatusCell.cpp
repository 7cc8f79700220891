// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/names/NameStatusCell.h"

#include <QPainter>

#include "views/dialogs/DeviceDialogStrings.h"
#include "views/ViewText.h"

CNameStatusCell::CNameStatusCell()
{
    SetReadOnly(true);
}

void CNameStatusCell::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context)
{
    DrawBackground(painter, rect, context);
    if (m_mark == NameMarks::none)
        return;
    const QSize size(NameMarks::kWidth, NameMarks::kHeight);
    const QRect target(rect.left() + (rect.width() - size.width()) / 2, rect.top() + (rect.height() - size.height()) / 2,
                       size.width(), size.height());
    NameMarks::Get(m_mark).paint(&painter, target);
}

int CNameStatusCell::GetExtentWidth(const QFontMetrics&) const
{
    return NameMarks::kWidth;
}

QString CNameStatusCell::GetToolTip(const QPoint&) const
{
    switch (m_mark) {
    case NameMarks::stored: return ViewText::Load(DeviceDialogStrings::kMarkStoredTip);
    case NameMarks::writing: return ViewText::Load(DeviceDialogStrings::kMarkWritingTip);
    case NameMarks::noName: return ViewText::Load(DeviceDialogStrings::kMarkNoNameTip);
    default: return QString();
    }
}
