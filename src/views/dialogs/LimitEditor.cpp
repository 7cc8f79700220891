// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/LimitEditor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "views/dialogs/LimitDlg.h"

namespace LimitEditor {

void PlaceNear(QWidget* dialog, const QRect& near)
{
    // The dialog keeps the size it gave itself (its template's); shrinking
    // it to the layout's hint would leave the track bar too short to use.
    if (near.isNull())
        return;
    QPoint at = near.bottomLeft() + QPoint(0, 4);
    if (const QScreen* screen = QGuiApplication::screenAt(near.center())) {
        const QRect area = screen->availableGeometry();
        const QSize size = dialog->frameGeometry().size();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        if (at.y() + size.height() > area.bottom())
            at.setY(near.top() - size.height() - 4);
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
    dialog->move(at);
}

bool Edit(QWidget* parent, CPaperDoc& doc, const std::vector<int>& series, bool lower, const QRect& near)
{
    if (series.empty())
        return false;
    const int last = series.back();
    if (last < 0 || last >= doc.GetCount())
        return false;
    const uint8_t stored = lower ? doc.GetLowerLimit(last) : doc.GetUpperLimit(last);
    CLimitDlg dialog(parent);
    dialog.Set(lower, 0, 100, SeriesPageText::LimitValue(stored));
    PlaceNear(&dialog, near);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Store(doc, series, lower, dialog.GetValue());
    return true;
}

void Store(CPaperDoc& doc, const std::vector<int>& series, bool lower, int value)
{
    value = std::clamp(value, 0, 100);
    for (int s : series) {
        if (s < 0 || s >= doc.GetCount())
            continue;
        const uint8_t stored = lower ? doc.GetLowerLimit(s) : doc.GetUpperLimit(s);
        if (SeriesPageText::LimitValue(stored) == value)
            continue;
        const uint8_t byte = static_cast<uint8_t>(value * 2);
        if (lower)
            doc.SetLowerLimit(s, byte);
        else
            doc.SetUpperLimit(s, byte);
    }
}

} // namespace LimitEditor
