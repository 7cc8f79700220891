// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/Text.h"
#include "RegistryTestSupport.h"

using namespace Platform;

namespace {

const std::u16string kSettings = u"Software\\Vantor\\Brelmora\\Settings";

std::string Utf16LeWithBom(const std::string& utf8)
{
    std::string out("\xFF\xFE", 2);
    for (char16_t c : FromUtf8(utf8)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

} // namespace

TEST(Registry, EveryTypeRoundTripsThroughTheFile)
{
    ScopedRegistryFile file("roundtrip.reg");
    {
        CRegKey key;
        ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
        EXPECT_EQ(key.SetString(u"LanguageFile", u"C:\\Program \"x\"\\\u00E4\U0001F600"), ERROR_SUCCESS);
        EXPECT_EQ(key.SetString(u"DataFolder", u""), ERROR_SUCCESS);
        EXPECT_EQ(key.SetString(u"Comment", u"line 1\r\nline 2"), ERROR_SUCCESS);
        EXPECT_EQ(key.SetDword(u"DTFormat", 0x0302), ERROR_SUCCESS);
        EXPECT_EQ(key.SetBinary(u"Blob", std::vector<uint8_t>{1, 2, 0, 255}), ERROR_SUCCESS);
        EXPECT_EQ(key.SetBinary(u"Nothing", nullptr, 0), ERROR_SUCCESS);
        const uint8_t quad[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        EXPECT_EQ(key.SetValue(u"Quad", REG_QWORD, quad, sizeof quad), ERROR_SUCCESS);
    }
    // UTF-16LE with a byte-order mark, as regedit writes it.
    EXPECT_EQ(file.Read().rfind(Utf16LeWithBom("Windows Registry Editor Version 5.00\r\n"), 0), 0u);
    const std::string text = file.Text();
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"LanguageFile\"=\"C:\\\\Program \\\"x\\\"\\\\\xC3\xA4\xF0\x9F\x98\x80\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"DTFormat\"=dword:00000302\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Blob\"=hex:01,02,00,ff\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"), std::string::npos);

    CRegKey key;
    ASSERT_EQ(key.Open(kSettings, CRegKey::Read), ERROR_SUCCESS);
    std::u16string s;
    EXPECT_EQ(key.QueryString(u"LanguageFile", s), ERROR_SUCCESS);
    EXPECT_EQ(s, u"C:\\Program \"x\"\\\u00E4\U0001F600");
    EXPECT_EQ(key.QueryString(u"DataFolder", s), ERROR_SUCCESS);
    EXPECT_EQ(s, u"");
    EXPECT_EQ(key.QueryString(u"Comment", s), ERROR_SUCCESS);
    EXPECT_EQ(s, u"line 1\r\nline 2");
    uint32_t d = 0;
    EXPECT_EQ(key.QueryDword(u"DTFormat", d), ERROR_SUCCESS);
    EXPECT_EQ(d, 0x0302u);
    std::vector<uint8_t> b;
    EXPECT_EQ(key.QueryBinary(u"Blob", b), ERROR_SUCCESS);
    EXPECT_EQ(b, (std::vector<uint8_t>{1, 2, 0, 255}));
    EXPECT_EQ(key.QueryBinary(u"Nothing", b), ERROR_SUCCESS);
    EXPECT_TRUE(b.empty());

    uint32_t type = 0;
    EXPECT_EQ(key.QueryValueType(u"DataFolder", type), ERROR_SUCCESS);
    EXPECT_EQ(type, 1u);
    EXPECT_EQ(key.QueryValueType(u"Blob", type), ERROR_SUCCESS);
    EXPECT_EQ(type, 3u);
    EXPECT_EQ(key.QueryValueType(u"DTFormat", type), ERROR_SUCCESS);
    EXPECT_EQ(type, 4u);
    EXPECT_EQ(key.QueryValueType(u"Quad", type), ERROR_SUCCESS);
    EXPECT_EQ(type, 11u);
}

TEST(Registry, MissingKeysValuesAndWrongTypesGiveWin32Codes)
{
    ScopedRegistryFile file("codes.reg");
    CRegKey key;
    EXPECT_EQ(key.Open(kSettings), ERROR_FILE_NOT_FOUND);   // no file at all
    EXPECT_FALSE(key.IsOpen());
    uint32_t d = 0;
    EXPECT_EQ(key.QueryDword(u"DTFormat", d), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.SetDword(u"DTFormat", 1), ERROR_INVALID_HANDLE);

    ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    CRegKey other;
    EXPECT_EQ(other.Open(u"Software\\Vantor\\Brelmora\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryDword(u"DTFormat", d), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.DeleteValue(u"DTFormat"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.DeleteSubKey(u"Missing"), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(key.SetString(u"Count", u"5"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"Flag", 1), ERROR_SUCCESS);
    std::u16string s;
    std::vector<uint8_t> b;
    EXPECT_EQ(key.QueryDword(u"Count", d), ERROR_INVALID_DATA);
    EXPECT_EQ(key.QueryBinary(u"Count", b), ERROR_INVALID_DATA);
    EXPECT_EQ(key.QueryString(u"Flag", s), ERROR_INVALID_DATA);

    // Names the file cannot carry, and writes through a read-only handle.
    EXPECT_EQ(key.SetDword(u"Two\nLines", 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(other.Create(u"Software\\Bad\rKey"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(other.Create(u"Software\\" + std::u16string(256, u'k')), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(other.Open(kSettings, CRegKey::Read), ERROR_SUCCESS);
    EXPECT_EQ(other.SetDword(u"Flag", 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(other.QueryDword(u"Flag", d), ERROR_SUCCESS);
    EXPECT_EQ(d, 1u);
}

TEST(Registry, NamesCompareWithoutCaseAndKeepTheirSpelling)
{
    ScopedRegistryFile file("case.reg");
    CRegKey key;
    ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"DTFormat", 1), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"\u00C4rger", 1), ERROR_SUCCESS);

    CRegKey upper;
    ASSERT_EQ(upper.Open(u"SOFTWARE\\vantor\\BRELMORA\\settings"), ERROR_SUCCESS);
    ASSERT_EQ(upper.SetDword(u"dtformat", 2), ERROR_SUCCESS);
    uint32_t d = 0;
    EXPECT_EQ(key.QueryDword(u"DTFORMAT", d), ERROR_SUCCESS);
    EXPECT_EQ(d, 2u);
    EXPECT_EQ(key.QueryDword(u"\u00E4RGER", d), ERROR_SUCCESS);
    std::vector<std::u16string> names;
    EXPECT_EQ(key.EnumValueNames(names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"DTFormat", u"\u00C4rger"}));
    EXPECT_NE(file.Text().find("[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]"), std::string::npos);
}

TEST(Registry, SubkeysEnumerateAndDeleteLikeWindows)
{
    ScopedRegistryFile file("subkeys.reg");
    CRegKey root;
    ASSERT_EQ(root.Create(u"Software\\Vantor"), ERROR_SUCCESS);
    CRegKey wizard;
    ASSERT_EQ(wizard.Create(root, u"VnUpgrade\\Settings\\ConnWizard"), ERROR_SUCCESS);
    EXPECT_EQ(wizard.KeyPath(), u"Software\\Vantor\\VnUpgrade\\Settings\\ConnWizard");
    ASSERT_EQ(wizard.SetDword(u"ComPort", 3), ERROR_SUCCESS);
    CRegKey brelmora;
    ASSERT_EQ(brelmora.Create(root, u"Brelmora"), ERROR_SUCCESS);

    std::vector<std::u16string> names;
    ASSERT_EQ(root.EnumSubKeys(names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Brelmora", u"VnUpgrade"}));

    EXPECT_EQ(root.DeleteSubKey(u"VnUpgrade"), ERROR_ACCESS_DENIED);   // has subkeys
    EXPECT_EQ(root.DeleteSubKey(u"Brelmora"), ERROR_SUCCESS);
    EXPECT_EQ(root.RecurseDeleteKey(u"vnupgrade"), ERROR_SUCCESS);
    ASSERT_EQ(root.EnumSubKeys(names), ERROR_SUCCESS);
    EXPECT_TRUE(names.empty());
    CRegKey gone;
    EXPECT_EQ(gone.Open(u"Software\\Vantor\\VnUpgrade\\Settings\\ConnWizard"), ERROR_FILE_NOT_FOUND);
    // A value written through a handle whose key was deleted meanwhile
    // brings the key back rather than getting lost.
    EXPECT_EQ(wizard.SetDword(u"ComPort", 4), ERROR_SUCCESS);
    EXPECT_EQ(gone.Open(u"Software\\Vantor\\VnUpgrade\\Settings\\ConnWizard"), ERROR_SUCCESS);
}

TEST(Registry, DamagedFileIsReportedAndNeverOverwritten)
{
    ScopedRegistryFile file("damaged.reg");
    CRegKey early;
    ASSERT_EQ(early.Create(kSettings), ERROR_SUCCESS);

    const std::string damaged[] = {
        "not a registry file\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"
        "\"DTFormat\"=dword:xyz\r\n",
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"
        "\"Pfad\"=\"unterminated\r\n",
        std::string("\xFF\xFEW\0", 4) + "x",
    };
    for (const std::string& bytes : damaged) {
        file.Write(bytes);
        CRegKey key;
        EXPECT_EQ(key.Open(kSettings), ERROR_INVALID_DATA);
        EXPECT_EQ(key.Create(kSettings), ERROR_INVALID_DATA);
        EXPECT_EQ(key.Create(u"Software\\Other"), ERROR_INVALID_DATA);
        uint32_t d = 0;
        EXPECT_EQ(early.QueryDword(u"DTFormat", d), ERROR_INVALID_DATA);
        EXPECT_EQ(early.SetDword(u"DTFormat", 0), ERROR_INVALID_DATA);
        EXPECT_EQ(early.DeleteValue(u"DTFormat"), ERROR_INVALID_DATA);
        EXPECT_EQ(early.RecurseDeleteKey(u"X"), ERROR_INVALID_DATA);
        EXPECT_EQ(file.Read(), bytes);
    }
}

TEST(Registry, ReadsAUtf16FileAndRewritesItAsUtf16)
{
    ScopedRegistryFile file("utf16.reg");
    file.Write(Utf16LeWithBom("Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"
                              "\"Pfad\"=\"C:\\\\Daten \xC3\xA4\"\r\n"
                              "\"DTFormat\"=dword:00000302\r\n"
                              "\"Exp\"=hex(2):25,00,54,00,00,00\r\n"
                              "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"));
    CRegKey key;
    ASSERT_EQ(key.Open(kSettings), ERROR_SUCCESS);
    std::u16string s;
    EXPECT_EQ(key.QueryString(u"Pfad", s), ERROR_SUCCESS);
    EXPECT_EQ(s, u"C:\\Daten \u00E4");
    EXPECT_EQ(key.QueryString(u"Exp", s), ERROR_SUCCESS);   // REG_EXPAND_SZ reads as text
    EXPECT_EQ(s, u"%T");
    EXPECT_EQ(key.QueryString(u"Multi", s), ERROR_INVALID_DATA);

    ASSERT_EQ(key.SetDword(u"GridCheck", 1), ERROR_SUCCESS);
    const std::string bytes = file.Read();
    EXPECT_EQ(bytes.rfind(Utf16LeWithBom("Windows Registry Editor Version 5.00\r\n"), 0), 0u);
    EXPECT_NE(bytes.find(Utf16LeWithBom("\"Pfad\"=\"C:\\\\Daten \xC3\xA4\"\r\n").substr(2)), std::string::npos);
    EXPECT_NE(bytes.find(Utf16LeWithBom("\"Exp\"=hex(2):25,00,54,00,00,00\r\n").substr(2)), std::string::npos);
    EXPECT_NE(bytes.find(Utf16LeWithBom("\"Multi\"=hex(7):61,00,00,00,00,00\r\n").substr(2)), std::string::npos);
}

TEST(Registry, ReadsUtf8FilesAndWinesEscapesAndRewritesThemAsRegeditDoes)
{
    ScopedRegistryFile file("utf8.reg");
    // What the program wrote before, and what Wine's regedit exports: \n,
    // \r and \0 inside quoted texts.
    file.Write("Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"
               "\"Pfad\"=\"C:\\\\Daten \xC3\xA4\"\r\n"
               "\"Note\"=\"one\\r\\ntwo\\0three \\\"q\\\" \\x\"\r\n");
    CRegKey key;
    ASSERT_EQ(key.Open(kSettings), ERROR_SUCCESS);
    std::u16string s;
    EXPECT_EQ(key.QueryString(u"Pfad", s), ERROR_SUCCESS);
    EXPECT_EQ(s, u"C:\\Daten \u00E4");
    std::vector<uint8_t> raw;
    uint32_t type = 0;
    ASSERT_EQ(key.QueryValue(u"Note", type, raw), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    using namespace std::string_literals;
    const std::u16string note = u"one\r\ntwo\0three \"q\" \\x"s;
    std::u16string stored;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        stored += static_cast<char16_t>(raw[i] | (raw[i + 1] << 8));
    EXPECT_EQ(stored, note + u'\0');

    // A change rewrites the file as UTF-16; the text with a line break and a
    // NUL goes as hex(1), which every regedit imports.
    ASSERT_EQ(key.SetDword(u"GridCheck", 1), ERROR_SUCCESS);
    EXPECT_EQ(file.Read().compare(0, 2, "\xFF\xFE"), 0);
    const std::string text = file.Text();
    EXPECT_NE(text.find("\"Pfad\"=\"C:\\\\Daten \xC3\xA4\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Note\"=hex(1):6f,00,6e,00,65,00,0d,00,0a,00,"), std::string::npos) << text;
    ASSERT_EQ(key.QueryValue(u"Note", type, raw), ERROR_SUCCESS);
    std::u16string again;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        again += static_cast<char16_t>(raw[i] | (raw[i + 1] << 8));
    EXPECT_EQ(again, stored);
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing)
{
    ScopedRegistryFile file("concurrent.reg");
    constexpr int kWrites = 40;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            int failures = 0;
            for (int i = 0; i < kWrites; ++i) {
                CRegKey key;
                if (key.Create(kSettings) != ERROR_SUCCESS ||
                    key.SetDword(Format("P%d-%d", c, i), static_cast<uint32_t>(i)) != ERROR_SUCCESS)
                    ++failures;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    CRegKey key;
    ASSERT_EQ(key.Open(kSettings), ERROR_SUCCESS);
    std::vector<std::u16string> names;
    ASSERT_EQ(key.EnumValueNames(names), ERROR_SUCCESS);
    EXPECT_EQ(names.size(), 2u * kWrites);
    uint32_t d = 0;
    EXPECT_EQ(key.QueryDword(u"P1-39", d), ERROR_SUCCESS);
    EXPECT_EQ(d, 39u);
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(TestEnv::TempDir())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.rfind("concurrent.reg.", 0) != 0 || name == "concurrent.reg.lock") << name << " left behind";
    }
}

TEST(Registry, FileLocationFollowsTheEnvironment)
{
    ScopedRegistryFile file("location.reg");
    EXPECT_EQ(RegistryFilePath(), file.Path());
    unsetenv("BRELMORA_REGISTRY");
    const std::string xdg = TestEnv::TempDir() + "/xdg";
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    EXPECT_EQ(RegistryFilePath(), xdg + "/vantor/registry.reg");

    // The folder is created on the first write.
    CRegKey key;
    ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    struct stat st {};
    ASSERT_EQ(stat((xdg + "/vantor/registry.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    setenv("XDG_CONFIG_HOME", "relative/path", 1);   // not absolute: ignored
    const char* home = getenv("HOME");
    if (home != nullptr && *home != '\0') {
        EXPECT_EQ(RegistryFilePath(), std::string(home) + "/.config/vantor/registry.reg");
    }
    setenv("XDG_CONFIG_HOME", TestEnv::TempDir().c_str(), 1);
}

TEST(Registry, WritesReplaceTheTargetOfALinkAndKeepItsMode)
{
    ScopedRegistryFile file("link.reg");
    const std::string target = TestEnv::TempDir() + "/link-target.reg";
    {
        ScopedRegistryFile direct("link-target.reg");
        CRegKey key;
        ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    }
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink(target.c_str(), file.Path().c_str()), 0);
    CRegKey key;
    ASSERT_EQ(key.Open(kSettings), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"GridCheck", 1), ERROR_SUCCESS);
    struct stat st {};
    ASSERT_EQ(lstat(file.Path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Registry, UnwritableFolderGivesAccessDenied)
{
    // A folder the writer may read but not write: read-only for this user,
    // or, when the tests run as root, one owned by root used by "nobody".
    char pattern[] = "/tmp/brelmora-readonly-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ScopedRegistryFile file("unused.reg");
    const std::string path = dir + "/registry.reg";
    setenv("BRELMORA_REGISTRY", path.c_str(), 1);
    {
        CRegKey key;
        ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    }
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(chmod(dir.c_str(), geteuid() == 0 ? 0755 : 0555), 0);

    const auto attempt = [] {
        CRegKey key;
        uint32_t d = 0;
        return key.Create(kSettings) == ERROR_SUCCESS                 // exists: nothing to write
               && key.QueryDword(u"DTFormat", d) == ERROR_FILE_NOT_FOUND
               && key.SetDword(u"DTFormat", 0) == ERROR_ACCESS_DENIED
               && key.Create(u"Software\\Other") == ERROR_ACCESS_DENIED;
    };
    if (geteuid() == 0) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(setgid(65534) == 0 && setuid(65534) == 0 && attempt() ? 0 : 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    } else {
        EXPECT_TRUE(attempt());
    }
    chmod(dir.c_str(), 0700);
    std::filesystem::remove_all(dir);
}
