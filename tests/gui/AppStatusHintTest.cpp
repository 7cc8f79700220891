// SPDX-License-Identifier: GPL-3.0-or-later
// A command's hint leaves the status bar with the pointer.
#include <gtest/gtest.h>

#include <QMainWindow>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>

#include "app/StatusHint.h"
#include "gui/AppTestSupport.h"

TEST(AppStatusHint, HintEndsWhenThePointerLeavesItsSource)
{
    AppTest::EnsureApplication();
    QMainWindow frame;
    frame.statusBar();
    auto* button = new QToolButton(&frame);
    QWidget* under = button;
    auto* hint = new CStatusHint(&frame);
    hint->SetPointerProbe([&under] { return under; });

    QStatusTipEvent tip(QStringLiteral("Export as text to a text file"));
    QApplication::sendEvent(button, &tip);
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("Export as text to a text file"));
    // While the pointer rests on the button the hint stays.
    hint->Check();
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("Export as text to a text file"));
    // The button opened a dialog, or the menu closed: the pointer is elsewhere.
    under = nullptr;
    hint->Check();
    EXPECT_TRUE(frame.statusBar()->currentMessage().isEmpty());
}
