// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up settings: defaults and repairs, the "Pfad" checks, the date and
// time pictures, and a registry that cannot be written.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

namespace {

class AppSettingsStore : public CShellTest {};

// Points the registry store at a file that does not parse while it lives:
// keys can then be neither created nor written.
class CBrokenRegistry {
public:
    CBrokenRegistry()
    {
        m_saved = std::getenv("BRELMORA_REGISTRY");
        m_path = TestEnv::TempDir() + "/broken.reg";
        std::ofstream(m_path) << "this is no registry file\n[[[\n";
        setenv("BRELMORA_REGISTRY", m_path.c_str(), 1);
    }
    ~CBrokenRegistry() { setenv("BRELMORA_REGISTRY", m_saved.c_str(), 1); }
    const std::string& Path() const { return m_path; }
    std::string Content() const
    {
        std::ifstream in(m_path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_saved;
    std::string m_path;
};

TEST_F(AppSettingsStore, FirstStartWritesEveryDefault)
{
    CProgramFolder dir("first-start");
    CBrelmoraApp app;
    app.SetProgramPath(dir.Program());
    app.ReadSettings();

    std::u16string text;
    uint32_t number = 99;
    ASSERT_EQ(QueryString(u"LanguageFile", text), 0u);
    EXPECT_EQ(text, dir.Program());
    ASSERT_EQ(QueryString(u"DataFolder", text), 0u);
    EXPECT_EQ(text, u"");
    ASSERT_EQ(QueryDword(u"GridCheck", number), 0u);
    EXPECT_EQ(number, 0u);
    ASSERT_EQ(QueryDword(u"DTFormat", number), 0u);
    EXPECT_EQ(number, 0u);
    ASSERT_EQ(QueryString(u"Pfad", text), 0u);
    EXPECT_EQ(text, dir.Folder());

    EXPECT_EQ(app.GetPfad(), dir.Folder());
    EXPECT_EQ(app.GetLanguageFile(), dir.Program());
    uint32_t id = 0;
    EXPECT_EQ(app.GetDateFormatString(&id), u"MM/dd/yyyy");
    EXPECT_EQ(id, 1850u);
    EXPECT_EQ(app.GetTimeFormatString(&id), u"h:mm tt");
    EXPECT_EQ(id, 1854u);
    EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(AppSettingsStore, StoredValuesAreTakenAndBadOnesRepaired)
{
    CProgramFolder dir("stored");
    SetString(u"LanguageFile", u"/somewhere/Brelmora_XYZ.so");
    SetString(u"DataFolder", u"/data");
    SetDword(u"GridCheck", 7);
    SetString(u"DTFormat", u"not a number");              // wrong type: repaired
    SetString(u"Pfad", std::u16string(300, u'x'));        // too long: repaired
    CBrelmoraApp app;
    app.SetProgramPath(dir.Program());
    app.ReadSettings();

    const SSettings& s = app.GetSettings();
    EXPECT_EQ(s.languageFile, u"/somewhere/Brelmora_XYZ.so");
    EXPECT_EQ(s.dataFolder, u"/data");
    EXPECT_EQ(s.gridCheck, 7u);
    EXPECT_EQ(s.dtFormat, 0u);
    EXPECT_EQ(s.pfad, dir.Folder());
    uint32_t number = 99;
    ASSERT_EQ(QueryDword(u"DTFormat", number), 0u);
    EXPECT_EQ(number, 0u);
    std::u16string text;
    ASSERT_EQ(QueryString(u"Pfad", text), 0u);
    EXPECT_EQ(text, dir.Folder());
}

TEST_F(AppSettingsStore, DateTimeFormatPicksThePictures)
{
    CProgramFolder dir("pictures");
    struct Case {
        uint32_t value;
        const char16_t* date;
        const char16_t* time;
    };
    const Case cases[] = {
        {0x0302, u"dd.MM.yyyy", u"H:mm"},
        {0x0407, u"MM/dd/yyyy", u"h:mm tt"},
        {0x0103, u"dd-MM-yyyy", u"HH:mm"},
        {0x0201, u"dd/MM/yyyy", u"h:mmt"},
        {0x00010302, u"dd.MM.yyyy", u"H:mm"},   // bits above 15 are ignored
        {0xFF03, u"MM/dd/yyyy", u"HH:mm"},
    };
    for (const Case& c : cases) {
        SetDword(u"DTFormat", c.value);
        CBrelmoraApp app;
        app.SetProgramPath(dir.Program());
        app.ReadSettings();
        EXPECT_EQ(app.GetDateFormatString(), c.date) << std::hex << c.value;
        EXPECT_EQ(app.GetTimeFormatString(), c.time) << std::hex << c.value;
    }
}

TEST_F(AppSettingsStore, UpgradeFolderChecks)
{
    CProgramFolder dir("pfad");
    auto read = [&](const std::u16string& pfad) {
        m_messages.messages.clear();
        SetString(u"Pfad", pfad);
        CBrelmoraApp app;
        app.SetProgramPath(dir.Program());
        app.ReadSettings();
        EXPECT_EQ(app.GetPfad(), pfad);   // the value stays as read
    };

    read(dir.File("missing"));
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].text, Platform::LoadString(AppStrings::kBadUpgradeFolder));
    EXPECT_EQ(m_messages.messages[0].caption, u"Brelmora Error");
    EXPECT_EQ(m_messages.messages[0].icon, SAppMessage::iconError);

    // A drive root whose status cannot be read gives no message.
    read(u"D:\\");
    EXPECT_TRUE(m_messages.messages.empty());

    // A file where the folder should be.
    std::ofstream(dir.folder + "/plain.txt") << "x";
    read(dir.File("plain.txt"));
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].text, Platform::LoadString(AppStrings::kBadUpgradeFolder));

    const std::string readOnly = dir.folder + "/readonly";
    ASSERT_EQ(::mkdir(readOnly.c_str(), 0555), 0);
    read(Platform::FromUtf8(readOnly));
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].text, Platform::LoadString(AppStrings::kUpgradeFolderReadOnly));
    ::chmod(readOnly.c_str(), 0755);

    read(dir.Folder());
    EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(AppSettingsStore, UnwritableRegistryKeepsDefaultsAndReportsWrites)
{
    CProgramFolder dir("broken");
    CBrokenRegistry broken;
    const std::string before = broken.Content();
    CBrelmoraApp app;
    app.SetProgramPath(dir.Program());
    app.ReadSettings();
    EXPECT_EQ(app.GetLanguageFile(), u"");
    EXPECT_EQ(app.GetPfad(), u"");
    EXPECT_EQ(app.GetDateTimeFormat(), 0u);
    // The damaged file is reported once, by name; no key: no folder check.
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_NE(m_messages.messages[0].text.find(Platform::FromUtf8(broken.Path())), std::u16string::npos);
    EXPECT_EQ(m_messages.messages[0].icon, SAppMessage::iconWarning);

    // A failed write reports 1000; the value still changes in memory.
    app.SetDateTimeFormat(0x0302);
    EXPECT_EQ(app.GetDateTimeFormat(), 0x0302u);
    EXPECT_EQ(app.GetDateFormatString(), u"dd.MM.yyyy");
    ASSERT_EQ(m_messages.messages.size(), 2u);
    EXPECT_EQ(m_messages.messages[1].text, Platform::LoadString(AppStrings::kRegistryWriteFailed));
    EXPECT_EQ(m_messages.messages[1].icon, SAppMessage::iconError);
    app.SetLanguageFile(dir.Program());
    EXPECT_EQ(app.GetLanguageFile(), dir.Program());
    EXPECT_EQ(m_messages.messages.size(), 3u);
    EXPECT_EQ(broken.Content(), before);
}

} // namespace
