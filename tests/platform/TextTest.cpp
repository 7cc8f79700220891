// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using namespace Platform;

TEST(Text, Utf8RoundTripKeepsEveryPlane)
{
    const std::u16string text = u"R\u00F6lle \u20AC \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u"\u00E4"), "\xC3\xA4");
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFD" "b");
    EXPECT_EQ(FromUtf8("\xC3"), u"\uFFFD");          // cut short
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD"); // over-long form
    EXPECT_EQ(ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");   // lone surrogate
}

TEST(Text, FormatUsesTheCLibraryConversions)
{
    EXPECT_EQ(Format("%0.1f %s", 12.25, "Q"), u"12.2 Q");
    EXPECT_EQ(FormatU(u"%s %d", "Total objects:", 7), u"Total objects: 7");
    const std::string longText(1000, 'x');
    EXPECT_EQ(FormatA("%s!", longText.c_str()).size(), 1001u);
}

TEST(Text, CaseInsensitivePrefixIsAsciiOnly)
{
    EXPECT_TRUE(StartsWithNoCase(u"com3:", u"COM"));
    EXPECT_FALSE(StartsWithNoCase(u"CO", u"COM"));
    EXPECT_TRUE(EqualsNoCase(u"-energy", u"-Energy"));
    EXPECT_EQ(ReplaceAll(u"a\r\nb\r\n", u"\r\n", u"<br>"), u"a<br>b<br>");
}

TEST(FileException, CarriesErrorNameAndCause)
{
    try {
        ThrowFileException(ERROR_HANDLE_EOF, u"x.vnr");
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetOsError(), 38u);
        EXPECT_EQ(e.GetFileName(), u"x.vnr");
        EXPECT_EQ(e.GetCause(), CFileException::endOfFile);
        EXPECT_NE(std::string(e.what()).find("x.vnr"), std::string::npos);
    }
    EXPECT_EQ(ErrorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WsaErrorFromErrno(ECONNREFUSED), WSAECONNREFUSED);
}

TEST(StringTable, LanguageTableOverridesAndFallsBack)
{
    EXPECT_EQ(LoadString(1850), u"MM/dd/yyyy");
    auto table = std::make_shared<StringMap>();
    (*table)[28501] = u"Fehler";
    SetLanguageStrings(table);
    EXPECT_EQ(LoadString(28501), u"Fehler");
    EXPECT_EQ(LoadString(28502), u"Warning");
    SetLanguageStrings(nullptr);
    EXPECT_EQ(LoadString(28501), u"Error");
    EXPECT_TRUE(LoadString(9).empty());
}
