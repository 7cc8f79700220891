// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet CSV export read back by a real CSV reader (Python's csv
// module): quoting of commas, quotes and line breaks, dot decimals, ISO 8601
// dates, empty fields for values that do not exist.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "DocTestSupport.h"
#include "SeriesBytesBuilder.h"
#include "data/PaperData.h"
#include "data/SpreadsheetExport.h"
#include "platform/Text.h"

using SpreadsheetExport::ERows;

namespace {

// The rows as the csv module reads them.
nlohmann::json ReadBack(const std::string& path)
{
    const std::string cmd = std::string("/usr/bin/python3 '") + BRELMORA_SOURCE_DIR + "/tests/support/ReadCsv.py' '" + path + "'";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while (p != nullptr && (n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int status = p != nullptr ? pclose(p) : -1;
    EXPECT_EQ(status, 0) << "the CSV reader refused " << path;
    return nlohmann::json::parse(out.empty() ? "null" : out);
}

// Three series: two impacts with awkward texts, one impact, none.
std::unique_ptr<CPaperData> AwkwardData()
{
    DataTest::Series a;
    a.id = "A,\"B\"\xE4";
    a.counter = 1234;
    a.dateTime = (366 + 31) * 86400 + 13 * 3600 + 5 * 60 + 7;   // 2001-02-01 13:05:07
    a.values = {81, 100};
    a.lower = 61;
    a.upper = 150;
    DataTest::Series b;
    b.id = "plain";
    b.counter = 7;
    b.values = {80};
    DataTest::Series c;
    c.id = "\r\nnew line";
    c.counter = 8;
    auto data = DataTest::ParsedData({a, b, c});
    data->SetComment(0, u"first, \"soft\"\r\nsecond line \u20AC");
    return data;
}

} // namespace

TEST(SpreadsheetExport, OneRowPerSeriesReadsBackFieldForField)
{
    const auto data = AwkwardData();
    const std::string path = DataTest::TempPath("series.csv");
    SpreadsheetExport::WriteFile(Platform::FromUtf8(path), *data, ERows::Series);
    const nlohmann::json rows = ReadBack(path);
    ASSERT_TRUE(rows.is_array());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], nlohmann::json({"Roll ID", "Impact counter", "Date and time", "Unit", "Impacts", "Mean value",
                                       "Standard deviation", "Range", "Minimum", "Maximum", "Lower limit (Q)",
                                       "Upper limit (Q)", "Comment"}));
    EXPECT_EQ(rows[1], nlohmann::json({"A,\"B\"\u00e4", "1234", "2001-02-01T13:05:07", "R", "2", "45.25", "6.72", "9.5",
                                       "40.5", "50.0", "30.5", "75.0", "first, \"soft\"\r\nsecond line \u20ac"}));
    // One impact has no standard deviation; none has no statistics at all.
    // Both have no limits (0 and 100 Q): empty limit cells.  A text that
    // begins with CR gets the apostrophe that keeps it a text.
    EXPECT_EQ(rows[2], nlohmann::json({"plain", "7", "2000-01-01T00:00:00", "R", "1", "40.00", "", "0.0", "40.0",
                                       "40.0", "", "", ""}));
    EXPECT_EQ(rows[3], nlohmann::json({"'\r\nnew line", "8", "2000-01-01T00:00:00", "R", "0", "", "", "", "", "", "",
                                       "", ""}));

    // UTF-8 with a byte-order mark, CR LF line ends, quotes only where
    // needed.
    const std::string bytes = SpreadsheetExport::Encode(*data, ERows::Series);
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBFRoll ID,Impact counter,", 0), 0u);
    EXPECT_NE(bytes.find("\r\n\"A,\"\"B\"\"\xC3\xA4\",1234,2001-02-01T13:05:07,R,2,45.25,"), std::string::npos);
    EXPECT_EQ(SpreadsheetExport::Encode(CPaperData(), ERows::Series).find("\r\n"), bytes.find("\r\n"));
}

TEST(SpreadsheetExport, OneRowPerImpactCarriesBothUnitsEnergyAndStatus)
{
    auto data = AwkwardData();
    // A factor of 50 % shows R values of half the Q values.
    data->SetFactor(0, 100);
    const std::string path = DataTest::TempPath("impacts.csv");
    SpreadsheetExport::WriteFile(Platform::FromUtf8(path), *data, ERows::Impacts);
    const nlohmann::json rows = ReadBack(path);
    ASSERT_TRUE(rows.is_array());
    ASSERT_EQ(rows.size(), 4u);   // header, two impacts, one impact, none
    EXPECT_EQ(rows[0], nlohmann::json({"Roll ID", "Impact counter", "Date and time", "Impact", "Unit", "Value",
                                       "Value (Q)", "Energy", "Status"}));
    EXPECT_EQ(rows[1], nlohmann::json({"A,\"B\"\u00e4", "1234", "2001-02-01T13:05:07", "1", "R", "20.5", "40.5",
                                       "1.500", "90"}));
    EXPECT_EQ(rows[2], nlohmann::json({"A,\"B\"\u00e4", "1234", "2001-02-01T13:05:07", "2", "R", "25.0", "50.0",
                                       "1.500", "90"}));
    EXPECT_EQ(rows[3][0], "plain");
    EXPECT_EQ(rows[3][3], "1");

    data->SetRFlag(0, 0);   // Q values: the value is the Q value
    const std::string q = SpreadsheetExport::Encode(*data, ERows::Impacts);
    EXPECT_NE(q.find(",1,Q,40.5,40.5,1.500,90\r\n"), std::string::npos) << q;
}

TEST(SpreadsheetExport, QuotingFollowsRfc4180)
{
    EXPECT_EQ(SpreadsheetExport::QuoteField("plain text"), "plain text");
    EXPECT_EQ(SpreadsheetExport::QuoteField(""), "");
    EXPECT_EQ(SpreadsheetExport::QuoteField("a,b"), "\"a,b\"");
    EXPECT_EQ(SpreadsheetExport::QuoteField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(SpreadsheetExport::QuoteField("cr\ronly"), "\"cr\ronly\"");
    EXPECT_EQ(SpreadsheetExport::QuoteField("lf\nonly"), "\"lf\nonly\"");
    EXPECT_EQ(SpreadsheetExport::QuoteField("a;b"), "a;b");
    EXPECT_EQ(SpreadsheetExport::QuoteField("a;b", ';'), "\"a;b\"");
    EXPECT_EQ(SpreadsheetExport::QuoteField("a,b", ';'), "a,b");
    EXPECT_EQ(SpreadsheetExport::IsoDateTime(0xFFFFFFFFu), "2136-02-07T06:28:15");
}
