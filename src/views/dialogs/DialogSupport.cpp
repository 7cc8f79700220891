// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/DialogSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLayout>
#include <QPushButton>

#include <algorithm>

#include "views/ViewStrings.h"
#include "views/ViewText.h"

namespace DialogSupport {

QSize FromDialogUnits(const QWidget* widget, int width, int height)
{
    const QFontMetrics metrics(widget->font());
    const double charWidth =
        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")) / 52.0;
    return QSize(static_cast<int>(width * charWidth / 4.0 + 0.5), static_cast<int>(height * metrics.height() / 8.0 + 0.5));
}

void ApplyTemplateSize(QDialog* dialog, int width, int height)
{
    dialog->ensurePolished();
    QSize size = FromDialogUnits(dialog, width, height).expandedTo(dialog->minimumSizeHint());
    // A wrapped text makes the layout's minimum lower than what it needs at
    // this width (the minimum is taken at the widest line): the dialog is as
    // high as its layout wants at its width, or every field is squeezed.
    if (QLayout* layout = dialog->layout(); layout != nullptr && layout->hasHeightForWidth()) {
        layout->activate();
        size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
    }
    dialog->resize(size);
}

QDialogButtonBox* MakeButtons(QDialog* dialog, bool withCancel)
{
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(ViewText::Load(ViewStrings::kOk), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    ok->setObjectName(QStringLiteral("ok"));
    if (withCancel) {
        QPushButton* cancel = box->addButton(ViewText::Load(ViewStrings::kCancel), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("cancel"));
    }
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QString ControlName(int id)
{
    return QStringLiteral("ctl%1").arg(id);
}

CWaitCursor::CWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace DialogSupport
