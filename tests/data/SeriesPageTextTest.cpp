// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the series table and the export file built from them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "data/PaperData.h"
#include "data/SeriesPageText.h"
#include "data/TextExport.h"
#include "platform/DateTimeFormat.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "SeriesBytesBuilder.h"

using namespace SeriesPageText;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(SeriesPageText, HeaderCopyTextsCarryTheDetailFieldsOnTheLastColumn)
{
    EXPECT_EQ(HeaderLine(false),
              u"Impact counter\tRoll ID\tDate & Time\tMean value\tUnit\tTotal\tLower limit\tUpper limit\t"
              u"Range\tMinimum\tMaximum\tStd dev.\tSerial\tComment\tValues\t");
    EXPECT_EQ(HeaderCopyText(ColStdDev, true), u"Std dev.\t");
    EXPECT_EQ(HeaderCopyText(ColEnergy, true), u"Energy\tSerial\tComment\tValues\t");
    EXPECT_EQ(ColumnCount(true), 10);
    EXPECT_EQ(ColumnCount(false), 9);
}

TEST(SeriesPageText, ValueRowTextsFollowTheColumnRules)
{
    DataTest::Series s;
    s.id = "ROLL-1";
    s.counter = 1234;
    s.values = {80, 90, 100};   // 40, 45, 50 Q
    s.energy = 2500;
    s.lower = 81;               // bit 0 is not part of the limit: 40
    s.upper = 121;              // 60
    auto holder = DataTest::ParsedData({s});
    const CPaperData& data = *holder;
    const RowTexts row = MakeRowTexts(data, 0, true, 0);

    EXPECT_EQ(row.display[ColCounter], u"1234");
    EXPECT_EQ(row.copy[ColCounter], u"\r\n1234\t");
    EXPECT_EQ(row.copy[ColRollId], u"ROLL-1\t");
    EXPECT_EQ(row.display[ColMean], u"45.0 R");
    EXPECT_EQ(row.copy[ColMean], u"45.0\tR\t");
    EXPECT_EQ(row.display[ColTotal], u"3");
    EXPECT_EQ(row.display[ColLowerLimit], u"40 R");
    EXPECT_EQ(row.copy[ColLowerLimit], u"40\t");
    EXPECT_EQ(row.display[ColUpperLimit], u"60 R");
    EXPECT_EQ(row.display[ColRange], u"10.0 R");
    EXPECT_EQ(row.copy[ColRange], u"10.0\t40.0\t50.0\t");
    EXPECT_EQ(row.display[ColStdDev], u"5.0 R");
    EXPECT_EQ(row.copy[ColStdDev], u"5.0\t");
    EXPECT_EQ(row.display[ColEnergy], u"2.50");
    EXPECT_EQ(row.copy[ColEnergy], u"2.50\t");
}

TEST(SeriesPageText, OneImpactHasNoStandardDeviation)
{
    DataTest::Series one;
    one.values = {90};
    DataTest::Series none;
    auto holder = DataTest::ParsedData({one, none});
    const CPaperData& data = *holder;
    EXPECT_EQ(MakeRowTexts(data, 0, false, 0).display[ColStdDev], u"--");
    EXPECT_EQ(MakeRowTexts(data, 0, false, 0).copy[ColStdDev], u"--\t");
    EXPECT_EQ(MakeRowTexts(data, 1, false, 0).copy[ColStdDev], u"--\t");
    EXPECT_TRUE(IsWithoutLimits(data, 0));
}

TEST(SeriesPageText, DetailRowQuotesTheCommentAndListsTheValues)
{
    DataTest::Series s;
    s.values = {81, 100};
    auto holder = DataTest::ParsedData({s});
    CPaperData& data = *holder;
    data.SetComment(0, u"first line\r\nsays \"soft\"");
    EXPECT_EQ(DetailCopyText(data, 0), u"VT-77\t\"first line<br>says &quotsoft&quot\"\t40.5\t50.0\t");
}

TEST(SeriesPageText, ExportTextIsTheHeaderLineThenOneLinePerSeries)
{
    DataTest::Series a;
    a.counter = 1;
    a.values = {80};
    DataTest::Series b = a;
    b.counter = 2;
    auto holder = DataTest::ParsedData({a, b});
    const CPaperData& data = *holder;
    const std::u16string text = ExportText(data, false, 0);
    EXPECT_EQ(text.rfind(HeaderLine(false), 0), 0u);
    EXPECT_EQ(text, HeaderLine(false) + SeriesLine(data, 0, false, 0) + SeriesLine(data, 1, false, 0));
    EXPECT_EQ(SeriesLine(data, 1, false, 0).substr(0, 5), u"\r\n2\t\t");
    EXPECT_EQ(ExportText(CPaperData(), false, 0), HeaderLine(false));
}

TEST(SeriesPageText, DateAndTimeUseTheChosenPictures)
{
    DataTest::Series s;
    std::tm tm = {};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 9;
    tm.tm_hour = 7;
    tm.tm_min = 5;
    s.dateTime = Platform::LocalToSeriesTime(tm);
    auto holder = DataTest::ParsedData({s});
    const CPaperData& data = *holder;
    EXPECT_EQ(DateTimeText(data, 0, 0), u"03/09/2026 7:05 AM");
    EXPECT_EQ(DateTimeText(data, 0, 0x0302), u"09.03.2026 7:05");
    EXPECT_EQ(DateTimeText(data, 0, 0x0103), u"09-03-2026 07:05");
}

TEST(TextExport, FileIsByteOrderMarkThenUtf16LittleEndian)
{
    EXPECT_EQ(TextExport::Encode(u""), (std::vector<uint8_t>{0xFF, 0xFE}));
    EXPECT_EQ(TextExport::Encode(u"A\u00E4"), (std::vector<uint8_t>{0xFF, 0xFE, 'A', 0, 0xE4, 0}));

    const std::string path = TestEnv::TempDir() + "/export.csv";
    TextExport::WriteFile(Platform::FromUtf8(path), u"a much longer first text");
    TextExport::WriteFile(Platform::FromUtf8(path), u"B");
    EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{0xFF, 0xFE, 'B', 0}));
}

TEST(TextExport, FailureNamesTheFileAndLeavesNothingBehind)
{
    const std::string path = TestEnv::TempDir() + "/missing-folder/export.txt";
    try {
        TextExport::WriteFile(Platform::FromUtf8(path), u"x");
        FAIL() << "writing into a missing folder succeeded";
    } catch (const Platform::CFileException& e) {
        EXPECT_EQ(e.GetFileName(), Platform::FromUtf8(path));
        EXPECT_NE(e.GetOsError(), 0u);
    }
}
