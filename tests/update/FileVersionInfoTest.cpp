// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "platform/UserLanguage.h"
#include "platform/VersionResourceWriter.h"
#include "support/TestEnv.h"
#include "update/FileVersionInfo.h"
#include "update/LanguageLibrary.h"
#include "update/TestBinaries.h"

using namespace Platform;

namespace {

const CVersion kProgram(u"" BRELMORA_PROJECT_VERSION);

std::u16string U(const char* path)
{
    return std::u16string(path, path + std::char_traits<char>::length(path));
}

void ExpectEmpty(const CFileVersionInfo& info)
{
    EXPECT_EQ(info.GetFixedFileInfo(), VS_FIXEDFILEINFO());
    for (const std::u16string& s :
         {info.GetCompanyName(), info.GetFileDescription(), info.GetFileVersion(), info.GetInternalName(),
          info.GetLegalCopyright(), info.GetOriginalFileName(), info.GetProductName(), info.GetProductVersion(),
          info.GetComments(), info.GetLegalTrademarks(), info.GetPrivateBuild(), info.GetSpecialBuild(),
          info.GetRequiredOSVersion()})
        EXPECT_TRUE(s.empty());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(info.GetFileVersionPart(i), 0);
        EXPECT_EQ(info.GetProductVersionPart(i), 0);
    }
}

std::vector<uint8_t> MultiLanguageRecord(const std::vector<VersionTranslation>& translations)
{
    VersionRecordLayout layout;
    for (const VersionTranslation& t : translations)
        layout.tables.push_back({StringTableKey(t), {{u"InternalName", StringTableKey(t)}}});
    layout.translations = translations;
    std::vector<uint8_t> blob;
    EXPECT_TRUE(BuildVersionResource(layout, blob));
    return blob;
}

std::u16string ChosenTable(const std::vector<VersionTranslation>& translations, uint16_t preferred)
{
    const std::vector<uint8_t> blob = MultiLanguageRecord(translations);
    CFileVersionInfo info;
    info.SetPreferredLanguage(preferred);
    EXPECT_TRUE(info.ReadFromData(blob.data(), blob.size()));
    return info.GetInternalName();
}

} // namespace

TEST(FileVersionInfo, ReadsTheRunningProgramsOwnRecord)
{
    CFileVersionInfo info;
    ASSERT_TRUE(info.Read());
    EXPECT_EQ(info.GetProductVersion(), u"" BRELMORA_PROJECT_VERSION);
    EXPECT_EQ(info.GetFileVersion(), u"" BRELMORA_PROJECT_VERSION);
    EXPECT_EQ(info.GetProductName(), u"Brelmora");
    EXPECT_EQ(info.GetCompanyName(), u"Vantor");
    EXPECT_EQ(info.GetInternalName(), u"Brelmora");
    EXPECT_EQ(info.GetOriginalFileName(), u"test_update");
    EXPECT_EQ(info.GetFixedFileInfo().dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.GetFixedProductVersion(), kProgram);
    // Index 3 is the major number: the reverse of CVersion::GetPart.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(info.GetProductVersionPart(i), kProgram.GetPart(3 - i));
        EXPECT_EQ(info.GetFileVersionPart(i), kProgram.GetPart(3 - i));
    }
    EXPECT_EQ(info.GetFileVersionPart(4), 0);
    EXPECT_EQ(info.GetFileVersionPart(-1), 0);
    EXPECT_EQ(CVersion(info.GetProductVersion()), kProgram);

    info.Reset();
    ExpectEmpty(info);
}

TEST(FileVersionInfo, ReadsTheLanguageLibraries)
{
    CFileVersionInfo german;
    ASSERT_TRUE(german.Read(U(BRELMORA_DEU_LIBRARY)));
    EXPECT_EQ(german.GetInternalName(), u"Deutsch");
    EXPECT_EQ(german.GetOriginalFileName(), u"Brelmora_DEU.so");
    EXPECT_EQ(german.GetProductVersionPart(3), kProgram.GetPart(0));
    EXPECT_EQ(german.GetProductVersionPart(2), kProgram.GetPart(1));
    EXPECT_EQ(german.GetTranslation(), (VersionTranslation{0x0407, 1200}));
    EXPECT_EQ(german.GetFixedFileInfo().dwFileType, VFT_DLL);

    CFileVersionInfo test;
    ASSERT_TRUE(test.Read(U(BRELMORA_TST_LIBRARY)));
    EXPECT_EQ(test.GetInternalName(), u"Testsprache");
    EXPECT_EQ(test.GetProductVersion(), u"1.7.0.0");
}

TEST(FileVersionInfo, AFileWithoutARecordReadsAsEmpty)
{
    const std::string dir = TestEnv::TempDir();
    TestBinaries::WriteFile(dir + "/norecord.so", TestBinaries::BuildElf({{".data", {1, 2, 3}}}));
    TestBinaries::WriteFile(dir + "/text.dll", {'M', 'Z', '!'});

    CFileVersionInfo info;
    ASSERT_TRUE(info.Read(U(BRELMORA_DEU_LIBRARY)));
    for (const std::string name : {"/norecord.so", "/text.dll", "/missing.so", ""}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(info.Read(U(BRELMORA_DEU_LIBRARY)));
        EXPECT_FALSE(info.Read(U((dir + name).c_str())));
        ExpectEmpty(info);
    }
}

TEST(FileVersionInfo, ChoosesTheStringTableByLanguage)
{
    const VersionTranslation enUS{0x0409, 1200}, enGB{0x0809, 1200}, deDE{0x0407, 1200}, deAT{0x0C07, 1200},
        neutral{0x0000, 1200}, fr{0x040C, 1252}, jp{0x0411, 1200}, english9{0x0009, 1200};

    EXPECT_EQ(ChosenTable({enUS, deDE}, 0x0407), u"040704B0");         // exact id
    EXPECT_EQ(ChosenTable({enUS, deDE}, 0x0C07), u"040704B0");         // same primary language
    EXPECT_EQ(ChosenTable({enUS, deAT, deDE}, 0x0407), u"040704B0");   // exact beats primary
    EXPECT_EQ(ChosenTable({fr, neutral, enUS}, 0x0407), u"000004B0");  // neutral
    EXPECT_EQ(ChosenTable({fr, enGB, jp}, 0x0407), u"080904B0");       // English by low byte
    EXPECT_EQ(ChosenTable({fr, english9}, 0x0407), u"000904B0");       // English id 9
    EXPECT_EQ(ChosenTable({fr, jp}, 0x0407), u"040C04E4");             // the first
    EXPECT_EQ(CFileVersionInfo::ChooseTranslation({}, 0x0407), -1);

    // Without a translation list the first string table is used.
    VersionRecordLayout layout;
    layout.tables.push_back({u"041104B0", {{u"InternalName", u"first"}}});
    layout.tables.push_back({u"040904B0", {{u"InternalName", u"second"}}});
    std::vector<uint8_t> blob;
    ASSERT_TRUE(BuildVersionResource(layout, blob));
    CFileVersionInfo info;
    ASSERT_TRUE(info.ReadFromData(blob.data(), blob.size()));
    EXPECT_EQ(info.GetInternalName(), u"first");
    VS_FIXEDFILEINFO fixed;
    EXPECT_EQ(info.GetFixedFileInfo(), fixed); // the layout's zero record is still 52 bytes
}

TEST(FileVersionInfo, DamagedRecordsNeverCrash)
{
    const std::vector<uint8_t> original = MultiLanguageRecord({{0x0409, 1200}, {0x0407, 1200}});
    std::mt19937 random(99);
    CFileVersionInfo info;
    for (int round = 0; round < 10000; ++round) {
        std::vector<uint8_t> blob = original;
        for (int e = 0; e < 3; ++e)
            blob[random() % blob.size()] = static_cast<uint8_t>(random());
        blob.resize(random() % (blob.size() + 1));
        if (!info.ReadFromData(blob.data(), blob.size()))
            ExpectEmpty(info);
    }
}

TEST(UserLanguage, DerivesTheLanguageIdFromTheLocale)
{
    EXPECT_EQ(LangIdFromLocaleName("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("de_AT@euro"), 0x0C07);
    EXPECT_EQ(LangIdFromLocaleName("de_CH"), 0x0807);
    EXPECT_EQ(LangIdFromLocaleName("de"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("de_XX"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("en_US.UTF-8"), 0x0409);
    EXPECT_EQ(LangIdFromLocaleName("en_GB"), 0x0809);
    EXPECT_EQ(LangIdFromLocaleName("fr_CA"), 0x0C0C);
    EXPECT_EQ(LangIdFromLocaleName("pt_BR"), 0x0416);
    EXPECT_EQ(LangIdFromLocaleName("C"), 0x0409);
    EXPECT_EQ(LangIdFromLocaleName("POSIX"), 0x0409);
    EXPECT_EQ(LangIdFromLocaleName("C.UTF-8"), 0x0409);
    EXPECT_EQ(LangIdFromLocaleName(""), 0x0409);
    EXPECT_EQ(LangIdFromLocaleName("xx_YY"), 0x0409);

    const char* saved[3] = {};
    std::string keep[3];
    const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i)
        if ((saved[i] = std::getenv(names[i])) != nullptr)
            keep[i] = saved[i];
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangId(), 0x040C);
    setenv("LC_ALL", "de_AT.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangId(), 0x0C07);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(GetUserDefaultLangId(), 0x0409);
    for (int i = 0; i < 3; ++i)
        if (saved[i] != nullptr)
            setenv(names[i], keep[i].c_str(), 1);
}

TEST(LanguageLibrary, AcceptsOnlyTheProgramsMajorAndMinorVersion)
{
    EXPECT_TRUE(IsAcceptedLanguageLibrary(U(BRELMORA_DEU_LIBRARY), kProgram));
    // A library of version 1.7 beside a program of version 1.8 is ignored.
    EXPECT_FALSE(IsAcceptedLanguageLibrary(U(BRELMORA_TST_LIBRARY), CVersion(u"1.8.1.0")));
    EXPECT_TRUE(IsAcceptedLanguageLibrary(U(BRELMORA_TST_LIBRARY), CVersion(u"1.7.9.2")));
    EXPECT_FALSE(IsAcceptedLanguageLibrary(U(BRELMORA_TST_LIBRARY), CVersion(u"2.7")));
    EXPECT_FALSE(IsAcceptedLanguageLibrary(U(BRELMORA_TST_LIBRARY), CVersion()));
    EXPECT_FALSE(IsAcceptedLanguageLibrary(u"/nonexistent/Brelmora_XYZ.so", kProgram));

    // Without a fixed record the "ProductVersion" string decides.
    VersionRecordLayout layout;
    layout.hasFixedInfo = false;
    layout.tables.push_back({u"040904B0", {{u"ProductVersion", u"1, 8, 0"}}});
    std::vector<uint8_t> blob;
    ASSERT_TRUE(BuildVersionResource(layout, blob));
    CFileVersionInfo info;
    ASSERT_TRUE(info.ReadFromData(blob.data(), blob.size()));
    EXPECT_TRUE(IsAcceptedLanguageLibrary(info, CVersion(u"1.8.1.0")));
    EXPECT_FALSE(IsAcceptedLanguageLibrary(info, CVersion(u"1.9.0.0")));
}
