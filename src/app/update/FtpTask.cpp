// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/FtpTask.h"

#include <QMetaObject>

void CFtpTask::Run(QObject* receiver, std::function<bool()> work, std::function<void(bool)> done)
{
    Wait();
    QPointer<QObject> target(receiver);
    m_thread = std::thread([this, target, work = std::move(work), done = std::move(done)] {
        const bool ok = work();
        if (target.isNull())
            return;
        QMetaObject::invokeMethod(
            target.data(),
            [this, done, ok] {
                // The thread has handed over its result; it ends right after.
                Wait();
                done(ok);
            },
            Qt::QueuedConnection);
    });
}

void CFtpTask::Wait()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}
