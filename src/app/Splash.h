// SPDX-License-Identifier: GPL-3.0-or-later
// CSplashWnd: the start-up picture, a borderless window centred on the
// screen that closes itself after its time.  Only one exists at a time.
#pragma once

#include <QWidget>

class CFileVersionInfo;
class QTimer;

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    // Shows the splash for `ms` milliseconds, with the program's version;
    // nothing happens when the splash is disabled or one is already up.
    static void ShowSplashScreen(int ms, const CFileVersionInfo& programInfo);
    static void EnableSplashScreen(bool enable);
    // The splash that is up, or null.
    static CSplashWnd* Current();
    // Closes the splash at once (before a message box, which it would cover
    // and must not own).
    static void Dismiss();

    ~CSplashWnd() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CSplashWnd(int ms, const QString& versionText);

    QString m_versionText;
    QTimer* m_timer;
};
