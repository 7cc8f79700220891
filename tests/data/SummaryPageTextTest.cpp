// SPDX-License-Identifier: GPL-3.0-or-later
// The summary page's copy text and the rows of its statistics block.
#include <gtest/gtest.h>

#include "SeriesBytesBuilder.h"
#include "data/PaperDoc.h"
#include "data/SummaryPageText.h"

using namespace DataTest;

namespace {

constexpr uint32_t kDtFormat = 0x0302;   // "dd.MM.yyyy" and "H:mm"

void Load(CPaperDoc& doc, const std::vector<Series>& list)
{
    const auto info = InfoBlock("VT-77");
    doc.StoreDownloadedInfo(info.data(), info.size());
    const auto bytes = InstrumentRecords(list);
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
}

Series Make(std::vector<uint8_t> values, uint32_t dateTime = 0)
{
    Series s;
    s.id = "R";
    s.values = std::move(values);
    s.dateTime = dateTime;
    return s;
}

// The statistics block's lines of a copy text.
std::u16string StatisticsLines(const std::u16string& text)
{
    const size_t from = text.find(u"Statistics of summary\r\n");
    const size_t to = text.find(u"Settings of series");
    if (from == std::u16string::npos || to == std::u16string::npos)
        return {};
    return text.substr(from, to - from);
}

} // namespace

TEST(SummaryPageText, WholeCopyTextOfAnRSummary)
{
    CPaperDoc doc;
    Load(doc, {Make({90, 90, 90}, 0), Make({101, 102, 103}, 90000)});   // means 45.0 and 51.0
    doc.BuildSummary();
    doc.SetSummaryComment(u"a\r\n\"b\"");
    EXPECT_EQ(SummaryPageText::CopyText(doc.GetSummary(), kDtFormat),
              u"Summary of Series\r\n\r\n"
              u"Values of series\r\n45.0\r\n51.0\r\n\r\n"
              u"Statistics of summary\r\n"
              u"Total used series\tN\t2\r\n"
              u"Mean value\tf\t48.0\tR\r\n"
              u"Standard deviation\ts\t4.2\tR\r\n"
              u"Range\t6.0\tR\r\n"
              u"Minimum\t45.0\tR\r\n"
              u"Maximum\t51.0\tR\r\n\r\n"
              u"Settings of series\r\n"
              u"Serial number\tVT-77\r\n"
              u"Date&Time\t01.01.2000 0:00 - 02.01.2000 1:00\r\n\r\n"
              u"Comment\r\n\"a<br>&quotb&quot\"\r\n\r\n");
}

TEST(SummaryPageText, QSummaryShowsTheMeanOfTheQValuesAndMedianItsLabel)
{
    CPaperDoc doc;
    Load(doc, {Make({90, 91}), Make({100})});   // means 45.25 (value byte 90) and 50.0
    doc.SetRFlag(0, 0);
    doc.SetRFlag(1, 0);
    doc.BuildSummary();
    std::u16string text = SummaryPageText::ExportText(doc, kDtFormat);
    EXPECT_NE(text.find(u"\r\n45.2\r\n50.0\r\n"), std::u16string::npos) << "values are the series' means";
    EXPECT_NE(text.find(u"Mean value\tf\t47.5\tQ\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"Date&Time\t01.01.2000 0:00\r\n"), std::u16string::npos);

    doc.SetSummaryAveragingMode(1);
    text = SummaryPageText::ExportText(doc, kDtFormat);
    EXPECT_NE(text.find(u"Median\tf\t47.5\tQ\r\n"), std::u16string::npos);
}

TEST(SummaryPageText, PartlyUsedSummaryShowsUsedAndTotal)
{
    CPaperDoc doc;
    Load(doc, {Make({80}), Make({}), Make({84}), Make({}), Make({88})});
    doc.BuildSummary();
    const SummaryStatistics st = doc.GetSummaryStatistics();
    const auto rows = SummaryPageText::StatisticsRows(st, doc.GetSummary());
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].value, u"= 3/5");
    EXPECT_EQ(rows[0].copy, u"3\t5");
    EXPECT_EQ(rows[2].value, u"= 2.0 R");
    EXPECT_EQ(rows[3].symbol, u"");
    const std::u16string text = SummaryPageText::CopyText(doc.GetSummary(), kDtFormat);
    EXPECT_NE(text.find(u"Values of series\r\n40.0\r\n--\r\n42.0\r\n--\r\n44.0\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"Total used series\tN\t3\t5\r\n"), std::u16string::npos);
}

TEST(SummaryPageText, MissingValuesShowDashesNotNumbers)
{
    CPaperDoc doc;
    Load(doc, {Make({80})});
    doc.BuildSummary();
    auto rows = SummaryPageText::StatisticsRows(doc.GetSummaryStatistics(), doc.GetSummary());
    EXPECT_EQ(rows[1].value, u"= 40.0 R");
    EXPECT_EQ(rows[2].value, u"= -- R");
    EXPECT_EQ(rows[2].copy, u"--\tR");

    // One series without impacts: an entry, but nothing to compute.
    CPaperDoc empty;
    Load(empty, {Make({})});
    empty.BuildSummary();
    const std::u16string text = SummaryPageText::CopyText(empty.GetSummary(), kDtFormat);
    EXPECT_EQ(StatisticsLines(text),
              u"Statistics of summary\r\n"
              u"Total used series\tN\t0\t1\r\n"
              u"Mean value\tf\t--\tR\r\n"
              u"Standard deviation\ts\t--\tR\r\n"
              u"Range\t--\tR\r\n"
              u"Minimum\t--\tR\r\n"
              u"Maximum\t--\tR\r\n\r\n");
}

TEST(SummaryPageText, EmptySummaryGivesNoText)
{
    CPaperDoc doc;
    EXPECT_EQ(SummaryPageText::ExportText(doc, kDtFormat), u"");
    Load(doc, {Make({80}), Make({90})});
    doc.SetAllInSummary(false);
    EXPECT_EQ(SummaryPageText::ExportText(doc, kDtFormat), u"");
    EXPECT_EQ(SummaryPageText::DateTimeText(doc.GetSummaryEarliest(), doc.GetSummaryLatest(), kDtFormat), u"");
}
