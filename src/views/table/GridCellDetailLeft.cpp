// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/table/GridCellDetailLeft.h"

#include <QLinearGradient>
#include <QPainter>

#include "controls/GridColours.h"
#include "views/ColorScheme.h"

void CGridCellDetailLeft::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context)
{
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0.0, CColorScheme::DetailLeftFrom());
    gradient.setColorAt(1.0, CColorScheme::DetailLeftTo());
    painter.fillRect(rect, gradient);
    if (context.selected && !context.printing) {
        QColor mark = GridColours::SelectedBackground();
        painter.fillRect(QRect(rect.left(), rect.top(), 4, rect.height()), mark);
    }
}
