// SPDX-License-Identifier: GPL-3.0-or-later
// The QApplication every GUI test program needs: on the offscreen platform
// unless QT_QPA_PLATFORM chooses another (the two-program clipboard test runs
// under Xvfb with xcb).
//
// The fonts are the DejaVu family alone, whatever else the machine has:
// pages and pictures are compared with reference images, and the printer
// font "Arial" would otherwise become whichever look-alike is installed
// (Nimbus Sans with Ghostscript's fonts, Liberation Sans, ...).  A private
// fontconfig file names only that folder; child processes inherit it.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>

#include "support/TestEnv.h"

namespace GuiTest {

inline void UseOnlyDejaVuFonts()
{
    const char* kFolder = "/usr/share/fonts/truetype/dejavu";
    if (!qEnvironmentVariableIsEmpty("FONTCONFIG_FILE") || !QDir(QString::fromLatin1(kFolder)).exists())
        return;
    const QString base = QString::fromStdString(TestEnv::TempDir());
    const QString file = base + QStringLiteral("/fonts.conf");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                             "<fontconfig>\n  <dir>%1</dir>\n  <cachedir>%2/fontconfig-cache</cachedir>\n"
                             "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n</fontconfig>\n")
                  .arg(QString::fromLatin1(kFolder), base)
                  .toUtf8());
    out.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(file));
}

inline QApplication* EnsureApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    UseOnlyDejaVuFonts();
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return application;
}

} // namespace GuiTest
