// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the update check that need no server: installer names,
// the choice of the newest installer, folder listings of odd servers,
// server settings and the SHA-256 of a download.
#include <gtest/gtest.h>

#include <string>

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "update/FtpListing.h"
#include "update/Sha256.h"
#include "update/UpdateSelection.h"
#include "update/UpdateServer.h"

using namespace Update;

namespace {

SFtpEntry Entry(const char* name, uint64_t size = 100)
{
    SFtpEntry e;
    e.name = Platform::FromUtf8(name);
    e.rawName = name;
    e.size = size;
    return e;
}

TEST(InstallerName, VersionFromTheNameAndWhatIsNoInstaller)
{
    EXPECT_EQ(InstallerVersion(u"Setup_V_1_8_2_0.exe"), CVersion(1, 8, 2, 0));
    EXPECT_EQ(InstallerVersion(u"Brelmora Setup_V_1_9_0_0.exe"), CVersion(1, 9, 0, 0));
    EXPECT_EQ(InstallerVersion(u"Setup_V_1_9_0.exe"), CVersion(1, 9, 0, 0));
    // The extension is compared case-sensitively.
    EXPECT_EQ(InstallerVersion(u"Setup_V_1_9_0_0.EXE"), CVersion());
    EXPECT_EQ(InstallerVersion(u"Setup_V_1_9_0_0.exe.sha256"), CVersion());
    EXPECT_EQ(InstallerVersion(u"readme.txt"), CVersion());
    EXPECT_EQ(InstallerVersion(u"Setup_1_9_0_0.exe"), CVersion());
    EXPECT_EQ(InstallerVersion(u"V.exe"), CVersion());
    EXPECT_EQ(InstallerVersion(u"_V_.exe"), CVersion());
    EXPECT_EQ(InstallerVersion(u"Setup_V_1_70000_0_0.exe"), CVersion());
}

TEST(InstallerChoice, NewestAboveTheProgramWithItsChecksum)
{
    const CVersion program(1, 8, 1, 0);
    SInstallerChoice c = SelectInstaller(
        {Entry("Setup_V_1_8_2_0.exe"), Entry("Setup_V_1_9_0_0.exe", 4242), Entry("readme.txt")}, program);
    ASSERT_TRUE(c.found);
    EXPECT_EQ(c.version, CVersion(1, 9, 0, 0));
    EXPECT_EQ(c.installer.name, u"Setup_V_1_9_0_0.exe");
    EXPECT_EQ(c.installer.size, 4242u);
    EXPECT_FALSE(c.hasChecksum);

    // The listing's order does not matter; the companion checksum is found.
    c = SelectInstaller({Entry("Setup_V_1_9_0_0.exe.sha256", 90), Entry("Setup_V_1_9_0_0.exe"),
                         Entry("Setup_V_1_8_2_0.exe")},
                        program);
    ASSERT_TRUE(c.found);
    EXPECT_EQ(c.version, CVersion(1, 9, 0, 0));
    EXPECT_TRUE(c.hasChecksum);
    EXPECT_EQ(c.checksum.name, u"Setup_V_1_9_0_0.exe.sha256");

    EXPECT_FALSE(SelectInstaller({Entry("Setup_V_1_8_1_0.exe")}, program).found);
    EXPECT_FALSE(SelectInstaller({Entry("Setup_V_1_9_0_0.EXE"), Entry("Setup_V_1_8_0_0.exe")}, program).found);
    EXPECT_FALSE(SelectInstaller({}, program).found);
}

TEST(FtpListing, UnixAndDosLinesWithSpacesAndOldDates)
{
    const std::string listing =
        "total 12\r\n"
        "-rw-r--r--   1 root     root       300000 Dec 09 01:53 Setup_V_1_9_0_0.exe\r\n"
        "-rw-r--r--   1 root     root            2 Dec 09  2019 read me  twice.txt\r\n"
        "-rw-r--r-- 1 ftp 77 Jan  1 12:00 no-group.lod\r\n"
        "drwxr-xr-x   2 root     root         4096 Dec 09 01:53 sub\r\n"
        "lrwxrwxrwx   1 root     root           10 Dec 09 01:53 link.exe -> Setup.exe\r\n"
        "12-09-26  01:53AM              5000 Dos_V_1_9_0_0.exe\r\n"
        "12-09-26  01:53AM       <DIR>          Folder\r\n"
        "-rw-r--r--   1 root     root            9 Dec 09 01:53 \xC3\xA4nderung.txt\n";
    const std::vector<SFtpEntry> files = ParseFtpListing(listing);
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files[0].name, u"Setup_V_1_9_0_0.exe");
    EXPECT_EQ(files[0].size, 300000u);
    EXPECT_EQ(files[1].name, u"read me  twice.txt");
    EXPECT_EQ(files[2].name, u"no-group.lod");
    EXPECT_EQ(files[2].size, 77u);
    EXPECT_EQ(files[3].name, u"Dos_V_1_9_0_0.exe");
    EXPECT_EQ(files[3].size, 5000u);
    EXPECT_EQ(files[4].name, u"\u00E4nderung.txt");
    EXPECT_EQ(files[4].rawName, "\xC3\xA4nderung.txt");
}

TEST(FtpListing, LinesThatCannotBeTakenAreSkipped)
{
    const std::string bad[] = {
        "",
        "garbage",
        "-rw-r--r--",
        "-rw-r--r--   1 o g   abc Jan 01 12:00 size-not-a-number.exe",
        "-rw-r--r--   1 o g   99999999999999999999 Jan 01 12:00 huge.exe",
        "-rw-r--r--   1 o g   100 Foo 01 12:00 no-month.exe",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 ",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 ../up.exe",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 back\\slash.exe",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 ..",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 bad\xFF\xFE.exe",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 over\xC0\xAFlong.exe",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 tab\there.exe",
        "-rw-r--r--   1 o g   100 Jan 01 12:00 " + std::string(256, 'x'),
        "99-99-99 no time here",
    };
    for (const std::string& line : bad) {
        SFtpEntry e;
        EXPECT_FALSE(ParseListingLine(line, e)) << line;
    }
    SFtpEntry e;
    EXPECT_TRUE(ParseListingLine("-rw-r--r--   1 o g   100 Jan 01 12:00 " + std::string(255, 'x'), e));
}

TEST(FtpListing, PatternsMatchLikeTheServersFindFirstFile)
{
    EXPECT_TRUE(MatchesPattern(u"Unit-V1_4_0_2_APP.lod", u"*.lod"));
    EXPECT_TRUE(MatchesPattern(u"Unit-V1_4_0_2_APP.LOD", u"*.lod"));
    EXPECT_FALSE(MatchesPattern(u"Unit.lod.txt", u"*.lod"));
    EXPECT_TRUE(MatchesPattern(u"anything", u"*"));
    EXPECT_TRUE(MatchesPattern(u"a.b", u"?.?"));
    EXPECT_FALSE(MatchesPattern(u"ab", u"?"));
}

TEST(UpdateServerSetting, TextsThatNameAServerAndThoseThatDoNot)
{
    SFtpServer s = ParseFtpServer(u"ftp://127.0.0.1:2121");
    ASSERT_TRUE(s.valid);
    EXPECT_EQ(s.host, "127.0.0.1");
    EXPECT_EQ(s.port, 2121);
    EXPECT_EQ(s.Url("VnUpgrade/"), "ftp://127.0.0.1:2121/VnUpgrade/");
    EXPECT_EQ(s.Display(), u"127.0.0.1:2121");
    s = ParseFtpServer(u" download.vantor.example/ ");
    ASSERT_TRUE(s.valid);
    EXPECT_EQ(s.port, 21);
    EXPECT_TRUE(s.IsPlaceholder());
    EXPECT_TRUE(ParseFtpServer(u"FTP://[::1]:21").valid);
    EXPECT_FALSE(ParseFtpServer(u"ftp.vantor.com").IsPlaceholder());
    EXPECT_FALSE(ParseFtpServer(u"examples.com").IsPlaceholder());
    for (const char16_t* bad : {u"", u"http://host", u"ftp://user@host", u"ftp://host/path", u"host:0",
                                u"host:65536", u"host:12ab", u"ftp://", u"[::1", u"-host"})
        EXPECT_FALSE(ParseFtpServer(bad).valid) << Platform::ToUtf8(bad);

    // The built-in server is a placeholder; "UpdateServer" replaces it.
    EXPECT_TRUE(BuiltInUpdateServer().IsPlaceholder());
    Platform::CRegKey key;
    ASSERT_EQ(key.Create(u"Software\\Vantor\\Brelmora\\Settings"), Platform::ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(u"UpdateServer", u"ftp://127.0.0.1:2121"), Platform::ERROR_SUCCESS);
    EXPECT_EQ(CurrentUpdateServer().port, 2121);
    ASSERT_EQ(key.SetString(u"UpdateServer", u"gopher://x"), Platform::ERROR_SUCCESS);
    EXPECT_FALSE(CurrentUpdateServer().valid);
    ASSERT_EQ(key.DeleteValue(u"UpdateServer"), Platform::ERROR_SUCCESS);
    EXPECT_TRUE(CurrentUpdateServer().IsPlaceholder());
}

TEST(Sha256, KnownDigestsInOnePieceAndInSlices)
{
    CSha256 empty;
    EXPECT_EQ(empty.FinishHex(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    CSha256 abc;
    abc.Add(reinterpret_cast<const uint8_t*>("abc"), 3);
    EXPECT_EQ(abc.FinishHex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string text = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    std::string million(1000000, 'a');
    CSha256 whole, sliced;
    whole.Add(reinterpret_cast<const uint8_t*>(million.data()), million.size());
    for (size_t i = 0; i < million.size(); i += 4093)
        sliced.Add(reinterpret_cast<const uint8_t*>(million.data()) + i, std::min<size_t>(4093, million.size() - i));
    EXPECT_EQ(whole.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(sliced.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    CSha256 two;
    two.Add(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    EXPECT_EQ(two.FinishHex(), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Sha256, ChecksumFilesAsSha256sumWritesThem)
{
    const std::string hex = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(ParseSha256File(hex + "  Setup_V_1_9_0_0.exe\n"), hex);
    EXPECT_EQ(ParseSha256File(hex + " *Setup_V_1_9_0_0.exe\r\n"), hex);
    EXPECT_EQ(ParseSha256File("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"), hex);
    EXPECT_EQ(ParseSha256File(""), "");
    EXPECT_EQ(ParseSha256File(hex.substr(0, 63)), "");
    EXPECT_EQ(ParseSha256File(hex + "0"), "");
    EXPECT_EQ(ParseSha256File("g" + hex.substr(1)), "");
}

} // namespace
