// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/QueuedPrompt.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "app/AppMessages.h"

void CQueuedPrompt::ShowMessage(int kind, const std::u16string& text)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [kind, text] { AppMessages::ShowMessage(kind, text); }, Qt::QueuedConnection);
}
