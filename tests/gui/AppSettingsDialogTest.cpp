// SPDX-License-Identifier: GPL-3.0-or-later
// The Application Settings dialog: lists, sample line, Reset, and OK storing
// only what changed.
#include <gtest/gtest.h>

#include <QComboBox>

#include "app/AppSettings.h"
#include "app/BrelmoraApp.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

namespace {

class AppSettingsDialog : public CShellTest {
protected:
    void Start(CBrelmoraApp& app, const CProgramFolder& dir)
    {
        app.SetProgramPath(dir.Program());
        app.ReadSettings();
        app.LoadLanguageLibrary();
    }

    static std::tm SampleTime()
    {
        std::tm t{};
        t.tm_year = 2024 - 1900;
        t.tm_mon = 2;
        t.tm_mday = 5;
        t.tm_hour = 14;
        t.tm_min = 7;
        return t;
    }
};

TEST_F(AppSettingsDialog, ChoosingPicturesStoresTheCombinedValue)
{
    CProgramFolder dir("dialog-format", true);
    CBrelmoraApp app;
    Start(app, dir);
    CAppSettings dialog(app);
    dialog.SetSampleTime(SampleTime());
    EXPECT_EQ(dialog.SampleText(), "Date/Time format:  03/05/2024 2:07 PM");

    dialog.DateBox()->setCurrentIndex(3);
    dialog.TimeBox()->setCurrentIndex(2);
    // The sample follows the selection at once; nothing is stored yet.
    EXPECT_EQ(dialog.SampleText(), "Date/Time format:  05.03.2024 14:07");
    uint32_t stored = 99;
    ASSERT_EQ(QueryDword(u"DTFormat", stored), 0u);
    EXPECT_EQ(stored, 0u);

    dialog.accept();
    EXPECT_TRUE(dialog.IsFormatChanged());
    EXPECT_FALSE(dialog.IsLanguageChanged());
    ASSERT_EQ(QueryDword(u"DTFormat", stored), 0u);
    EXPECT_EQ(stored, 0x0302u);
    EXPECT_EQ(app.GetDateFormatString(), u"dd.MM.yyyy");
    EXPECT_EQ(app.GetTimeFormatString(), u"H:mm");
}

TEST_F(AppSettingsDialog, OkWithoutChangesWritesNothing)
{
    CProgramFolder dir("dialog-unchanged", true);
    SetDword(u"DTFormat", 0x0407);   // shown as the first entries
    CBrelmoraApp app;
    Start(app, dir);
    // Another process changes the registry meanwhile: a write by the dialog
    // would show as these values being replaced.
    SetDword(u"DTFormat", 0x0101);
    SetString(u"LanguageFile", u"/elsewhere/brelmora");

    CAppSettings dialog(app);
    EXPECT_EQ(dialog.DateBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.TimeBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.LanguageBox()->currentIndex(), 0);
    dialog.accept();
    EXPECT_FALSE(dialog.IsFormatChanged());
    EXPECT_FALSE(dialog.IsLanguageChanged());

    uint32_t stored = 0;
    ASSERT_EQ(QueryDword(u"DTFormat", stored), 0u);
    EXPECT_EQ(stored, 0x0101u);
    std::u16string file;
    ASSERT_EQ(QueryString(u"LanguageFile", file), 0u);
    EXPECT_EQ(file, u"/elsewhere/brelmora");
    EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(AppSettingsDialog, ResetSelectsTheFirstEntriesAndStoresNothing)
{
    CProgramFolder dir("dialog-reset", true);
    SetDword(u"DTFormat", 0x0203);
    SetString(u"LanguageFile", dir.File("Brelmora_DEU.so"));
    CBrelmoraApp app;
    Start(app, dir);
    ASSERT_TRUE(app.IsLanguageLibraryLoaded());

    CAppSettings dialog(app);
    dialog.SetSampleTime(SampleTime());
    EXPECT_EQ(dialog.LanguageBox()->currentIndex(), 1);
    EXPECT_EQ(dialog.DateBox()->currentIndex(), 2);
    EXPECT_EQ(dialog.TimeBox()->currentIndex(), 3);
    dialog.Reset();
    EXPECT_EQ(dialog.LanguageBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.DateBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.TimeBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.SampleText(), "Datums-/Zeitformat:  03/05/2024 2:07 PM");
    dialog.reject();

    uint32_t stored = 0;
    ASSERT_EQ(QueryDword(u"DTFormat", stored), 0u);
    EXPECT_EQ(stored, 0x0203u);
    EXPECT_TRUE(app.IsLanguageLibraryLoaded());
}

TEST_F(AppSettingsDialog, ChoosingALanguageStoresItsPathAndLoadsIt)
{
    CProgramFolder dir("dialog-language", true);
    CBrelmoraApp app;
    Start(app, dir);
    CAppSettings dialog(app);
    ASSERT_EQ(dialog.LanguageBox()->count(), 2);
    dialog.LanguageBox()->setCurrentIndex(1);
    dialog.accept();
    EXPECT_TRUE(dialog.IsLanguageChanged());
    EXPECT_FALSE(dialog.IsFormatChanged());
    std::u16string file;
    ASSERT_EQ(QueryString(u"LanguageFile", file), 0u);
    EXPECT_EQ(file, dir.File("Brelmora_DEU.so"));
    EXPECT_TRUE(app.IsLanguageLibraryLoaded());
    EXPECT_EQ(Platform::LoadString(40100), u"&Datei");
}

} // namespace
