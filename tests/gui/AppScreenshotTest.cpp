// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots of the shell (main window with the sample project, menus,
// the Application Settings dialog, the About box, the splash) in English and
// German.  Taken only when BRELMORA_SCREENSHOT_DIR names the folder
// (scripts/screenshots); BRELMORA_SCREENSHOT_SUFFIX is added to the names
// and BRELMORA_SCREENSHOT_DARK=1 switches to a dark palette.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QStyleFactory>
#include <QTest>

#include "app/AboutDlg.h"
#include "app/AppSettings.h"
#include "app/BrelmoraApp.h"
#include "app/MainFrame.h"
#include "app/Splash.h"
#include "data/PaperDoc.h"
#include "gui/AppTestSupport.h"
#include "gui/ScreenshotPalette.h"

using namespace AppTest;

namespace {

class AppScreenshots : public CShellTest {
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        m_dir = qEnvironmentVariable("BRELMORA_SCREENSHOT_DIR");
        m_suffix = qEnvironmentVariable("BRELMORA_SCREENSHOT_SUFFIX");
        if (m_dir.isEmpty())
            GTEST_SKIP() << "takes screenshots: runs only with scripts/screenshots (BRELMORA_SCREENSHOT_DIR)";
        ScreenshotPalette::UseDarkPaletteWhenAsked();
    }

    void Save(QWidget& widget, const QString& name)
    {
        QCoreApplication::processEvents();
        const QString path = m_dir + QStringLiteral("/") + name + m_suffix + QStringLiteral(".png");
        EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
    }

    void TakeLanguage(const QString& lang, bool german)
    {
        CProgramFolder dir("shots-" + lang.toStdString(), true);
        SetString(u"LanguageFile", german ? dir.File("Brelmora_DEU.so") : dir.Program());
        SetDword(u"DTFormat", german ? 0x0302 : 0);
        CBrelmoraApp app;
        app.SetProgramPath(dir.Program());
        app.ReadSettings();
        app.LoadLanguageLibrary();

        CMainFrame frame(app);
        frame.resize(1280, 800);
        frame.GetDocument().OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr"));
        frame.OnNewProgramVersion(CVersion::FromMessageParams(9 * 65536 + 1, 0));
        frame.OnNewFirmwareVersion(CVersion::FromMessageParams(5 * 65536 + 2, 0));
        frame.show();
        QTest::qWait(100);
        Save(frame, QStringLiteral("app-main-") + lang);

        for (QAction* popup : frame.menuBar()->actions()) {
            QMenu* menu = popup->menu();
            frame.UpdateCommandStates();
            menu->popup(frame.mapToGlobal(QPoint(0, 0)));
            QTest::qWait(50);
            const int index = static_cast<int>(frame.menuBar()->actions().indexOf(popup));
            Save(*menu, QStringLiteral("app-menu%1-").arg(index) + lang);
            menu->hide();
        }

        CAppSettings settings(app, &frame);
        settings.show();
        Save(settings, QStringLiteral("app-settings-") + lang);
        settings.hide();

        CAboutDlg about(app, &frame);
        about.show();
        Save(about, QStringLiteral("app-about-") + lang);
        about.hide();
        frame.GetDocument().CloseProject();
    }

    QString m_dir;
    QString m_suffix;
};

TEST_F(AppScreenshots, ShellInBothLanguages)
{
    TakeLanguage(QStringLiteral("en"), false);
    TakeLanguage(QStringLiteral("de"), true);

    CFileVersionInfo info;
    info.Read();
    CSplashWnd::ShowSplashScreen(5000, info);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    Save(*CSplashWnd::Current(), QStringLiteral("app-splash"));
    CSplashWnd::Current()->close();
}

} // namespace
