// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using namespace Platform;

namespace {

std::vector<uint8_t> Table(const std::vector<std::pair<uint32_t, std::u16string>>& entries)
{
    std::vector<uint8_t> out = {'B', 'R', 'S', 'T', 'R', '1', 0, 0};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(static_cast<uint32_t>(entries.size()));
    for (const auto& [id, text] : entries) {
        put32(id);
        put32(static_cast<uint32_t>(text.size()));
        for (char16_t c : text) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    return out;
}

// The printf conversions of a text in order ("%d", "%s", "%0.1f" → "dsf").
std::string Conversions(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == u'%') {
            ++i;
            continue;
        }
        size_t k = i + 1;
        while (k < text.size() && std::u16string_view(u"-+ #0123456789.*lhLzjtI").find(text[k]) != std::u16string_view::npos)
            ++k;
        if (k < text.size())
            out += static_cast<char>(text[k]);
        i = k;
    }
    return out;
}

class ActiveLanguageGuard {
public:
    ~ActiveLanguageGuard() { SetLanguageStrings(nullptr); }
};

} // namespace

TEST(LanguageTable, ParsesTablesAndRefusesDamagedOnes)
{
    StringMap map;
    const auto good = Table({{1, u"one"}, {28501, u"Fehler"}, {7, u""}});
    ASSERT_TRUE(ParseLanguageTable(good.data(), good.size(), map));
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(map.at(28501), u"Fehler");
    EXPECT_EQ(map.at(7), u"");

    EXPECT_FALSE(ParseLanguageTable(nullptr, 0, map));
    auto badSignature = good;
    badSignature[5] = '2';
    EXPECT_FALSE(ParseLanguageTable(badSignature.data(), badSignature.size(), map));
    auto hugeCount = good;
    hugeCount[11] = 0x40; // about a billion entries announced
    EXPECT_FALSE(ParseLanguageTable(hugeCount.data(), hugeCount.size(), map));
    auto hugeLength = good;
    hugeLength[12 + 4 + 3] = 0x7F;
    EXPECT_FALSE(ParseLanguageTable(hugeLength.data(), hugeLength.size(), map));
    EXPECT_TRUE(map.empty());
    const auto twice = Table({{5, u"a"}, {5, u"b"}});
    EXPECT_FALSE(ParseLanguageTable(twice.data(), twice.size(), map));
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ParseLanguageTable(good.data(), n, map)) << n;

    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        auto table = good;
        table[random() % table.size()] = static_cast<uint8_t>(random());
        ParseLanguageTable(table.data(), table.size(), map);
    }
}

TEST(LanguageTable, LoadsALibraryTableAndMakesItActive)
{
    ActiveLanguageGuard guard;
    EXPECT_EQ(LoadLanguageTable(std::string("/nonexistent/Brelmora_XYZ.so")), nullptr);
    const auto table = LoadLanguageTable(std::string(BRELMORA_TST_LIBRARY));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->size(), 2u);
    EXPECT_EQ(table->at(43999), u"Zeile 1\nZeile 2 \u00E4\u00F6\u00FC");

    SetLanguageStrings(table);
    EXPECT_EQ(LoadString(28501), u"Fehler (Test)");
    EXPECT_EQ(LoadString(28500), u"Fatal Error"); // ids the library lacks stay English
    SetLanguageStrings(nullptr);
    EXPECT_EQ(LoadString(28501), u"Error");
}

// Every built-in English text needs a German one, with the same printf
// conversions; registry names and format pictures stay as they are.
TEST(LanguageTable, GermanLibraryTranslatesEveryBuiltinText)
{
    const auto german = LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY));
    ASSERT_NE(german, nullptr);
    ASSERT_EQ(GetLanguageStrings(), nullptr);

    const std::set<uint32_t> unchanged = {600, 601, 602, 603, 604, 605, 606, 607, 608, 651, 1802,
                                          1850, 1851, 1852, 1853, 1854, 1855, 1856, 1857};
    std::set<uint32_t> english;
    for (uint32_t id : BuiltinStringIds()) {
        english.insert(id);
        const std::u16string en = LoadString(id);
        auto it = german->find(id);
        if (it == german->end()) {
            ADD_FAILURE() << "no German text for id " << id << " \"" << ToUtf8(en) << "\"";
            continue;
        }
        if (unchanged.count(id)) {
            EXPECT_EQ(ToUtf8(it->second), ToUtf8(en)) << "id " << id << " must stay as it is";
            continue;
        }
        EXPECT_FALSE(it->second.empty() && !en.empty()) << "empty German text for id " << id;
        EXPECT_EQ(Conversions(it->second), Conversions(en)) << "printf conversions differ for id " << id;
    }
    for (const auto& [id, text] : *german)
        EXPECT_TRUE(english.count(id)) << "German text for id " << id << " has no English original";
}
