// SPDX-License-Identifier: GPL-3.0-or-later
// Language libraries: the version check, the built-in texts, and the German
// library switching the menu, dialogs and messages.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>

#include "app/AppSettings.h"
#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "app/Commands.h"
#include "app/LanguageLibraries.h"
#include "app/MainFrame.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

namespace {

class AppLanguage : public CShellTest {
protected:
    // An application object on `dir` whose "LanguageFile" is `languageFile`.
    void Start(CBrelmoraApp& app, const CProgramFolder& dir, const std::u16string& languageFile)
    {
        SetString(u"LanguageFile", languageFile);
        app.SetProgramPath(dir.Program());
        app.ReadSettings();
        app.LoadLanguageLibrary();
    }

    static QStringList MenuTitles(CMainFrame& frame)
    {
        QStringList titles;
        for (QAction* action : frame.menuBar()->actions())
            titles << action->text();
        return titles;
    }
};

TEST_F(AppLanguage, LibraryOfAnotherMinorVersionIsIgnored)
{
    CProgramFolder dir("old-library", false, true);
    CBrelmoraApp app;
    Start(app, dir, dir.File("Brelmora_TST.so"));
    EXPECT_FALSE(app.IsLanguageLibraryLoaded());
    EXPECT_EQ(Platform::GetLanguageStrings(), nullptr);
    EXPECT_EQ(Platform::LoadString(AppStrings::kMenuFile), u"&File");
    EXPECT_TRUE(m_messages.messages.empty());   // silently

    // Nor is it offered: the list holds the program alone.
    const std::vector<SLanguageEntry> list = ListLanguages(dir.Program());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, dir.Program());
}

TEST_F(AppLanguage, ProgramFileOrMissingLibraryKeepsTheBuiltInTexts)
{
    CProgramFolder dir("builtin", true);
    {
        CBrelmoraApp app;
        Start(app, dir, dir.Program());
        EXPECT_FALSE(app.IsLanguageLibraryLoaded());
        EXPECT_EQ(app.GetResourceVersionInfo().GetProductVersion(), app.GetProgramVersionInfo().GetProductVersion());
    }
    {
        CBrelmoraApp app;
        Start(app, dir, dir.File("Brelmora_FRA.so"));
        EXPECT_FALSE(app.IsLanguageLibraryLoaded());
        EXPECT_EQ(Platform::LoadString(AppStrings::kMenuFile), u"&File");
    }
}

TEST_F(AppLanguage, GermanLibrarySwitchesMenusDialogsAndMessages)
{
    CProgramFolder dir("german", true, true);
    CBrelmoraApp app;
    Start(app, dir, dir.File("Brelmora_DEU.so"));
    ASSERT_TRUE(app.IsLanguageLibraryLoaded());
    EXPECT_EQ(app.GetResourceVersionInfo().GetInternalName(), u"Deutsch");

    CMainFrame frame(app);
    EXPECT_EQ(MenuTitles(frame), QStringList({"&Datei", "&Gerät", "&Bearbeiten", "&Hilfe"}));
    EXPECT_EQ(frame.Action(Commands::ID_FILE_OPEN)->text(), "Projekt öffnen...");
    EXPECT_EQ(frame.Action(Commands::ID_FILE_OPEN)->toolTip(), "Projekt öffnen");
    EXPECT_EQ(frame.Action(Commands::ID_EXPORT)->toolTip(), "In eine Textdatei exportieren");

    CAppSettings dialog(app, &frame);
    EXPECT_EQ(dialog.windowTitle(), "Programmeinstellungen");
    // Program first, then the German library; the 1.7 library is left out.
    ASSERT_EQ(dialog.LanguageBox()->count(), 2);
    EXPECT_EQ(dialog.LanguageBox()->currentIndex(), 1);
    EXPECT_EQ(dialog.LanguageBox()->itemText(0), "English");
    EXPECT_EQ(dialog.LanguageBox()->itemText(1), "Deutsch");

    AppMessages::ShowMessage(2, u"x");
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].caption, u"Fehler");

    // Qt's own dialogs (file dialogs, print dialogs) speak German too.
    const QString qtBase = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm");
    if (!QFile::exists(qtBase))
        GTEST_SKIP() << "qt6-translations-l10n is missing (scripts/install-deps installs it)";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Suchen in:"));
}

TEST_F(AppLanguage, LanguageChangeReloadsTheMenuAtOnce)
{
    CProgramFolder dir("switch", true);
    CBrelmoraApp app;
    Start(app, dir, dir.Program());
    CMainFrame frame(app);
    frame.OnNewProgramVersion(CVersion::FromMessageParams(9 * 65536 + 1, 5 * 65536 + 2));
    ASSERT_NE(frame.UpdateMenu(), nullptr);
    EXPECT_EQ(MenuTitles(frame).first(), "&File");
    EXPECT_EQ(frame.UpdateMenu()->title(), "New version available!");

    app.SetLanguageFile(dir.File("Brelmora_DEU.so"));
    frame.OnLanguageChanged();
    EXPECT_EQ(MenuTitles(frame),
              QStringList({"&Datei", "&Gerät", "&Bearbeiten", "&Hilfe", "Neue Version verfügbar!"}));
    ASSERT_NE(frame.UpdateMenu(), nullptr);
    ASSERT_EQ(frame.UpdateMenu()->actions().size(), 1);
    EXPECT_EQ(frame.UpdateMenu()->actions()[0]->text(), "Brelmora auf Version 1.9.2 aktualisieren");

    // And back to the program's own texts.
    app.SetLanguageFile(dir.Program());
    frame.OnLanguageChanged();
    EXPECT_EQ(MenuTitles(frame).first(), "&File");
    EXPECT_EQ(frame.Action(Commands::ID_APP_EXIT)->text(), "E&xit");
}

} // namespace
