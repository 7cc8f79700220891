// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusHint.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

namespace {

// How often a standing hint is checked.
constexpr int kCheckMs = 200;

} // namespace

CStatusHint::CStatusHint(QMainWindow* frame)
    : QObject(frame), m_frame(frame), m_timer(new QTimer(this)),
      m_probe([] { return QApplication::widgetAt(QCursor::pos()); })
{
    m_timer->setInterval(kCheckMs);
    connect(m_timer, &QTimer::timeout, this, &CStatusHint::Check);
    frame->installEventFilter(this);
}

bool CStatusHint::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_frame && event->type() == QEvent::StatusTip) {
        if (static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
            m_timer->stop();
            m_source = nullptr;
        } else {
            m_source = m_probe();
            m_timer->start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void CStatusHint::Check()
{
    // An open menu keeps and changes its own hints.
    if (QApplication::activePopupWidget() != nullptr)
        return;
    QWidget* under = m_probe();
    if (under != nullptr && under == m_source)
        return;
    m_timer->stop();
    m_source = nullptr;
    m_frame->statusBar()->clearMessage();
}
