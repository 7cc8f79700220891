// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/RegistryDocument.h"
#include "platform/Text.h"

using namespace Platform;

namespace {

const std::u16string kKey = u"HKEY_CURRENT_USER\\Software\\Vantor\\Test";

std::vector<uint8_t> Bytes(std::initializer_list<int> list)
{
    std::vector<uint8_t> out;
    for (int b : list)
        out.push_back(static_cast<uint8_t>(b));
    return out;
}

// The text of serialized bytes: UTF-16LE after a byte-order mark.
std::string Utf8Of(const std::string& bytes)
{
    EXPECT_EQ(bytes.compare(0, 2, "\xFF\xFE"), 0);
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return ToUtf8(text);
}

} // namespace

TEST(RegistryDocument, ReadsTheFormsRegeditWrites)
{
    CRegDocument doc;
    ASSERT_TRUE(doc.Parse("\xEF\xBB\xBF"
                          "Windows Registry Editor Version 5.00\r\n"
                          "\r\n"
                          "; a comment\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Vantor\\Test]\r\n"
                          "@=\"default\"\r\n"
                          "\"Path\"=\"C:\\\\dir\\\\\\\"q\\\"\"\r\n"
                          "\"Odd\\\\Name\" = dword:0000000A\r\n"
                          "\"Expand\"=hex(2):25,00,50,00,00,00\r\n"
                          "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                          "\"Quad\"=hex(b):01,00,00,00,00,00,00,80\r\n"
                          "\"Long\"=hex:01,02,\\\r\n"
                          "  03,\\\r\n"
                          "  04\r\n"
                          "\"Empty\"=hex:\r\n"
                          "\"Short\"=DWORD:1f\r\n"));
    EXPECT_EQ(doc.FindValue(kKey, u"")->type, REG_SZ);
    const RegValue* path = doc.FindValue(kKey, u"path");
    ASSERT_NE(path, nullptr);
    // C:\dir\"q"  as UTF-16LE with its NUL
    EXPECT_EQ(path->data, Bytes({'C', 0, ':', 0, '\\', 0, 'd', 0, 'i', 0, 'r', 0, '\\', 0, '"', 0, 'q', 0, '"', 0, 0, 0}));
    EXPECT_EQ(doc.FindValue(kKey, u"Odd\\Name")->data, Bytes({10, 0, 0, 0}));
    EXPECT_EQ(doc.FindValue(kKey, u"Expand")->type, REG_EXPAND_SZ);
    EXPECT_EQ(doc.FindValue(kKey, u"Multi")->type, REG_MULTI_SZ);
    EXPECT_EQ(doc.FindValue(kKey, u"Quad")->type, REG_QWORD);
    EXPECT_EQ(doc.FindValue(kKey, u"Quad")->data.size(), 8u);
    EXPECT_EQ(doc.FindValue(kKey, u"Long")->data, Bytes({1, 2, 3, 4}));
    EXPECT_TRUE(doc.FindValue(kKey, u"Empty")->data.empty());
    EXPECT_EQ(doc.FindValue(kKey, u"Short")->data, Bytes({0x1F, 0, 0, 0}));
    // Parents of a section exist as keys.
    EXPECT_TRUE(doc.HasKey(u"HKEY_CURRENT_USER\\Software\\Vantor"));
    EXPECT_EQ(doc.SubKeyNames(u"HKCU\\SOFTWARE\\vantor"), std::vector<std::u16string>{u"Test"});
}

TEST(RegistryDocument, DeletionFormsAndRepeatedSectionsApplyInOrder)
{
    CRegDocument doc;
    ASSERT_TRUE(doc.Parse("Windows Registry Editor Version 5.00\n"
                          "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n\"y\"=dword:2\n"
                          "[HKEY_CURRENT_USER\\A\\B]\n\"z\"=\"1\"\n"
                          "[HKEY_CURRENT_USER\\a]\n\"X\"=dword:3\n\"y\"=-\n"
                          "[-HKEY_CURRENT_USER\\A\\B]\n\"ignored\"=\"1\"\n"));
    EXPECT_EQ(doc.ValueNames(u"HKEY_CURRENT_USER\\A"), std::vector<std::u16string>{u"x"});
    EXPECT_EQ(doc.FindValue(u"HKEY_CURRENT_USER\\A", u"x")->data, Bytes({3, 0, 0, 0}));
    EXPECT_FALSE(doc.HasKey(u"HKEY_CURRENT_USER\\A\\B"));
}

TEST(RegistryDocument, RejectsWhatIsNotARegistryFile)
{
    const char* const damaged[] = {
        "garbage\n",
        "Windows Registry Editor Version 5.00\n\"x\"=dword:1\n",                   // value before any key
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\n",             // unclosed section
        "Windows Registry Editor Version 5.00\n[]\n",
        "Windows Registry Editor Version 5.00\n[\\-HKEY_CURRENT_USER\\A]\n",              // no such root
        "Windows Registry Editor Version 5.00\n[HKEY_NOWHERE\\A]\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"open\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\" tail\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:1g\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:123\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(zz):00\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(2:00\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=qword:1\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\nstray text\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"\xC3\x28\"\n",   // bad UTF-8
    };
    for (const char* text : damaged) {
        CRegDocument doc;
        EXPECT_FALSE(doc.Parse(text)) << text;
    }
    // A NUL character inside the text.
    CRegDocument doc;
    static const char kWithNul[] = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\0b\"\n";
    const std::string withNul(kWithNul, sizeof kWithNul - 1);
    EXPECT_FALSE(doc.Parse(withNul));
    // UTF-16 with an odd byte count.
    EXPECT_FALSE(doc.Parse(std::string("\xFF\xFEW\0i\0n", 7)));
    // Blank input is an empty registry.
    EXPECT_TRUE(doc.Parse(""));
    EXPECT_TRUE(doc.Parse("\r\n  \n"));
}

TEST(RegistryDocument, SerializedTextReadsBackToTheSameValues)
{
    CRegDocument doc;
    std::vector<uint8_t> big(300);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i);
    const auto sz = [](std::u16string_view s) {
        std::vector<uint8_t> d;
        for (char16_t c : s) {
            d.push_back(static_cast<uint8_t>(c));
            d.push_back(static_cast<uint8_t>(c >> 8));
        }
        d.push_back(0);
        d.push_back(0);
        return d;
    };
    const std::vector<RegValue> values = {
        {u"", REG_SZ, sz(u"default")},
        {u"Quote\"Back\\slash", REG_SZ, sz(u"a\"b\\c\\")},
        {u"Lines", REG_SZ, sz(u"one\r\ntwo")},         // cannot be quoted: hex(1)
        {u"NoNul", REG_SZ, Bytes({'a', 0})},           // not terminated: hex(1)
        {u"Umlaut \u00C4", REG_SZ, sz(u"\u00E4 \U0001F600")},
        {u"Big", REG_BINARY, big},
        {u"None", REG_NONE, {}},
        {u"ShortDword", REG_DWORD, Bytes({1, 2})},
        {u"Dword", REG_DWORD, Bytes({0x0A, 0, 0, 0x80})},
    };
    for (const RegValue& v : values)
        doc.SetValue(kKey, v);
    doc.CreateKey(u"HKEY_CURRENT_USER\\Software\\Vantor\\Empty");

    const std::string bytes = doc.Serialize();
    const std::string text = Utf8Of(bytes);
    EXPECT_NE(text.find("\"Dword\"=dword:8000000a\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Quote\\\"Back\\\\slash\"=\"a\\\"b\\\\c\\\\\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Lines\"=hex(1):"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Vantor\\Empty]\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[HKEY_CURRENT_USER\\Software]"), std::string::npos);   // implied by its subkeys
    for (size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        EXPECT_LE(end - pos, 80u) << text.substr(pos, end - pos);

    CRegDocument back;
    ASSERT_TRUE(back.Parse(bytes));
    for (const RegValue& v : values) {
        const RegValue* got = back.FindValue(kKey, v.name);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->name, v.name);
        EXPECT_EQ(got->type, v.type);
        EXPECT_EQ(got->data, v.data);
    }
    EXPECT_TRUE(back.HasKey(u"HKEY_CURRENT_USER\\Software\\Vantor\\Empty"));
    EXPECT_EQ(back.Serialize(), bytes);
}
