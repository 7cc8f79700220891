// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps a command's hint in the status bar no longer than the pointer rests
// on what showed it.  Qt shows a menu item's or tool-bar button's status tip
// while the pointer is over it, but a menu closed by a click, a button that
// opened a dialog or keyboard navigation can leave the hint standing over
// the page's own status text.  The watcher notes the widget under the
// pointer when a hint appears and clears the hint once no menu is open and
// the pointer is elsewhere.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QMainWindow;
class QTimer;
class QWidget;

class CStatusHint : public QObject {
public:
    // Watches the status tips that reach `frame`.
    explicit CStatusHint(QMainWindow* frame);

    // The widget under the pointer (tests replace it).
    void SetPointerProbe(std::function<QWidget*()> probe) { m_probe = std::move(probe); }
    // Clears a hint whose source the pointer has left (the timer calls it).
    void Check();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow* m_frame;
    QTimer* m_timer;
    QPointer<QWidget> m_source;
    std::function<QWidget*()> m_probe;
};
