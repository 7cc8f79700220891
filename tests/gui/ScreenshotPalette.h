// SPDX-License-Identifier: GPL-3.0-or-later
// The dark palette of the screenshots: BRELMORA_SCREENSHOT_DARK=1 (set by
// scripts/screenshots for the "-dark" pictures) switches to it.
#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyleFactory>

namespace ScreenshotPalette {

inline void UseDarkPaletteWhenAsked()
{
    if (qEnvironmentVariableIntValue("BRELMORA_SCREENSHOT_DARK") == 0)
        return;
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, QColor(55, 55, 60));
    p.setColor(QPalette::Light, QColor(75, 75, 80));
    p.setColor(QPalette::Midlight, QColor(65, 65, 70));
    p.setColor(QPalette::Mid, QColor(40, 40, 44));
    p.setColor(QPalette::Dark, QColor(28, 28, 30));
    p.setColor(QPalette::Shadow, QColor(15, 15, 15));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    p.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    QApplication::setPalette(p);
}

} // namespace ScreenshotPalette
