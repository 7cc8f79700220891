// SPDX-License-Identifier: GPL-3.0-or-later
// What a spreadsheet or a script makes of the CSV export: texts that would
// be evaluated as formulas, NUL, the byte-order mark, the German number form
// and the cells of a series without limits, read back by pandas and by
// Python's csv module by the columns' names.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "DocTestSupport.h"
#include "SeriesBytesBuilder.h"
#include "data/PaperData.h"
#include "data/SpreadsheetExport.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using SpreadsheetExport::ELocale;
using SpreadsheetExport::ERows;
using SpreadsheetExport::SOptions;

namespace {

nlohmann::json RunReader(const std::string& script, const std::string& arguments)
{
    const std::string cmd = std::string("/usr/bin/python3 '") + BRELMORA_SOURCE_DIR + "/tests/support/" + script + "' " + arguments;
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while (p != nullptr && (n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int status = p != nullptr ? pclose(p) : -1;
    EXPECT_EQ(status, 0) << cmd;
    return nlohmann::json::parse(out.empty() ? "null" : out);
}

// Rows as arrays (csv module, strict).
nlohmann::json Rows(const std::string& path, char separator = ',')
{
    return RunReader("ReadCsv.py", "'" + path + "' '" + std::string(1, separator) + "'");
}

// {"columns": [...], "rows": [{name: value}]} read by `reader` ("csv" or "pandas").
nlohmann::json Columns(const std::string& path, const std::string& reader, bool german = false)
{
    return RunReader("ReadCsvColumns.py", "'" + path + "' " + reader + (german ? " de" : ""));
}

std::string Write(const std::string& name, const CPaperData& data, const SOptions& options = SOptions(),
                  ERows rows = ERows::Series)
{
    const std::string path = DataTest::TempPath(name);
    SpreadsheetExport::WriteFile(Platform::FromUtf8(path), data, rows, options);
    return path;
}

// One series per roll ID, two impacts each, limits 30.5 and 75 Q.
std::unique_ptr<CPaperData> WithRollIds(const std::vector<std::string>& ids)
{
    std::vector<DataTest::Series> list;
    for (const std::string& id : ids) {
        DataTest::Series s;
        s.id = id;
        s.counter = 12;
        s.dateTime = (366 + 31) * 86400 + 13 * 3600 + 5 * 60 + 7;   // 2001-02-01 13:05:07
        s.values = {81, 100};
        s.lower = 61;
        s.upper = 150;
        list.push_back(s);
    }
    return DataTest::ParsedData(list);
}

} // namespace

TEST(SpreadsheetSafety, TextsAFormulaWouldTakeGetAnApostropheAndRawTextKeepsThem)
{
    const std::vector<std::string> ids = {"=1+2", "+41", "-5", "@SUM(A1)", "\tTAB", "\rCR", "a=1", "'quoted", "plain"};
    auto data = WithRollIds(ids);
    data->SetComment(0, u"=HYPERLINK(\"http://127.0.0.1/\",\"x\")");
    data->SetComment(1, std::u16string(u"NUL\0inside", 10));
    const nlohmann::json guarded = Rows(Write("guarded.csv", *data));
    ASSERT_TRUE(guarded.is_array());
    ASSERT_EQ(guarded.size(), ids.size() + 1);
    const std::vector<std::string> expected = {"'=1+2", "'+41", "'-5", "'@SUM(A1)", "'\tTAB", "'\rCR", "a=1",
                                               "'quoted", "plain"};
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(guarded[i + 1][0], expected[i]) << i;
    EXPECT_EQ(guarded[1][12], "'=HYPERLINK(\"http://127.0.0.1/\",\"x\")");
    EXPECT_EQ(guarded[2][12], "NUL\uFFFDinside");
    // Numbers are never prefixed, the captions neither.
    EXPECT_EQ(guarded[1][1], "12");
    EXPECT_EQ(guarded[1][5], "45.25");
    EXPECT_EQ(guarded[0][0], "Roll ID");

    SOptions raw;
    raw.rawText = true;
    const nlohmann::json stored = Rows(Write("raw.csv", *data, raw));
    ASSERT_EQ(stored.size(), ids.size() + 1);
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(stored[i + 1][0], ids[i]) << i;
    // Never a raw NUL, even as stored.
    EXPECT_EQ(stored[2][12], "NUL\uFFFDinside");
    EXPECT_EQ(SpreadsheetExport::Encode(*data, ERows::Series, raw).find('\0'), std::string::npos);

    // The impact rows guard their roll IDs too.
    const nlohmann::json impacts = Rows(Write("impacts.csv", *data, SOptions(), ERows::Impacts));
    EXPECT_EQ(impacts[1][0], "'=1+2");
    EXPECT_EQ(impacts[1][5], "40.5");
}

TEST(SpreadsheetSafety, ByteOrderMarkByDefaultAndReadersFindTheColumnsByName)
{
    auto data = WithRollIds({"007", "42"});
    data->SetComment(0, u"\u00c4rger \u00fcber Stra\u00dfe");
    data->SetLowerLimit(1, 0);
    data->SetUpperLimit(1, 200);
    const std::string path = Write("bom.csv", *data);

    for (const std::string reader : {"csv", "pandas"}) {
        const nlohmann::json table = Columns(path, reader);
        ASSERT_TRUE(table.is_object()) << reader;
        EXPECT_EQ(table["columns"][0], "Roll ID") << reader;   // the mark is not part of the caption
        ASSERT_EQ(table["rows"].size(), 2u) << reader;
        EXPECT_EQ(table["rows"][0]["Comment"], "\u00c4rger \u00fcber Stra\u00dfe") << reader;
    }
    const nlohmann::json frame = Columns(path, "pandas");
    EXPECT_EQ(frame["rows"][0]["Mean value"], 45.25);
    EXPECT_EQ(frame["rows"][0]["Lower limit (Q)"], 30.5);
    EXPECT_EQ(frame["rows"][0]["Upper limit (Q)"], 75.0);
    // Without limits both cells are empty: missing values, not 0 and 100.
    EXPECT_TRUE(frame["rows"][1]["Lower limit (Q)"].is_null());
    EXPECT_TRUE(frame["rows"][1]["Upper limit (Q)"].is_null());
    // pandas infers the type: a roll ID of digits loses its leading zeros
    // unless the column is declared as text.
    EXPECT_EQ(frame["rows"][0]["Roll ID"], 7);
    const nlohmann::json dict = Columns(path, "csv");
    EXPECT_EQ(dict["rows"][0]["Roll ID"], "007");
    EXPECT_EQ(dict["rows"][1]["Lower limit (Q)"], "");

    SOptions noMark;
    noMark.byteOrderMark = false;
    const std::string bytes = SpreadsheetExport::Encode(*data, ERows::Series, noMark);
    EXPECT_EQ(bytes.rfind("Roll ID,", 0), 0u);
    EXPECT_EQ(SpreadsheetExport::Encode(*data, ERows::Series), "\xEF\xBB\xBF" + bytes);
}

TEST(SpreadsheetSafety, GermanFormHasSemicolonsDecimalCommasAndGermanDates)
{
    auto data = WithRollIds({"R;1", "R,2"});
    data->SetComment(0, u"eins; zwei");
    SOptions german;
    german.locale = ELocale::German;
    const std::string path = Write("german.csv", *data, german);
    const nlohmann::json rows = Rows(path, ';');
    ASSERT_TRUE(rows.is_array());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], nlohmann::json({"R;1", "12", "01.02.2001 13:05:07", "R", "2", "45,25", "6,72", "9,5", "40,5",
                                       "50,0", "30,5", "75,0", "eins; zwei"}));
    EXPECT_EQ(rows[2][0], "R,2");
    const std::string bytes = SpreadsheetExport::Encode(*data, ERows::Series, german);
    EXPECT_NE(bytes.find("\r\n\"R;1\";12;01.02.2001 13:05:07;R;2;45,25;"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\r\nR,2;12;"), std::string::npos);

    const nlohmann::json frame = Columns(path, "pandas", true);
    ASSERT_TRUE(frame.is_object());
    EXPECT_EQ(frame["rows"][0]["Mean value"], 45.25);
    EXPECT_EQ(frame["rows"][1]["Standard deviation"], 6.72);

    const nlohmann::json impacts = Rows(Write("german-impacts.csv", *data, german, ERows::Impacts), ';');
    EXPECT_EQ(impacts[1], nlohmann::json({"R;1", "12", "01.02.2001 13:05:07", "1", "R", "40,5", "40,5", "1,500", "90"}));
    EXPECT_EQ(SpreadsheetExport::GermanDateTime(0xFFFFFFFFu), "07.02.2136 06:28:15");
}

TEST(SpreadsheetSafety, TheLanguageChoosesTheNumberForm)
{
    EXPECT_EQ(SpreadsheetExport::LocaleOfLanguage(), ELocale::Portable);
    auto german = std::make_shared<Platform::StringMap>();
    (*german)[53000] = u"de";
    Platform::SetLanguageStrings(german);
    EXPECT_EQ(SpreadsheetExport::LocaleOfLanguage(), ELocale::German);
    auto other = std::make_shared<Platform::StringMap>();
    (*other)[53000] = u"fr";
    Platform::SetLanguageStrings(other);
    EXPECT_EQ(SpreadsheetExport::LocaleOfLanguage(), ELocale::Portable);
    Platform::SetLanguageStrings(nullptr);
}
