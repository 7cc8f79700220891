// SPDX-License-Identifier: GPL-3.0-or-later
// The QApplication every GUI test program needs: on the offscreen platform
// unless QT_QPA_PLATFORM chooses another (the two-program clipboard test runs
// under Xvfb with xcb).
#pragma once

#include <QApplication>

namespace GuiTest {

inline QApplication* EnsureApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return application;
}

} // namespace GuiTest
