// SPDX-License-Identifier: GPL-3.0-or-later
// Building the summary from the ticked series of the current collection.
#include <gtest/gtest.h>

#include "SeriesBytesBuilder.h"
#include "data/PaperDoc.h"

using namespace DataTest;

namespace {

// A document holding `list` as downloaded (R flag 1, factor 200, serial "S-9").
void Load(CPaperDoc& doc, const std::vector<Series>& list)
{
    const auto info = InfoBlock("S-9");
    doc.StoreDownloadedInfo(info.data(), info.size());
    const auto bytes = InstrumentRecords(list);
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
}

Series Make(const std::string& id, std::vector<uint8_t> values, uint32_t dateTime = 0, uint16_t counter = 0)
{
    Series s;
    s.id = id;
    s.values = std::move(values);
    s.dateTime = dateTime;
    s.counter = counter;
    return s;
}

} // namespace

TEST(SummaryBuild, UnitIsTheMajorityKindAndTheOtherKindIsUnticked)
{
    CPaperDoc doc;
    Load(doc, {Make("A", {80}), Make("B", {90}), Make("C", {100}), Make("D", {110})});
    doc.SetRFlag(0, 0);
    doc.SetRFlag(1, 1);
    doc.SetRFlag(2, 0);
    doc.GetCurrent().SetInSummary(3, false);   // not ticked: stays out, stays unticked
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummaryUnit(), 0);
    EXPECT_EQ(doc.GetSummaryUnitText(), u"Q");
    EXPECT_FALSE(doc.GetInSummary(1));
    EXPECT_FALSE(doc.GetInSummary(3));
    ASSERT_EQ(doc.GetSummaryCount(), 2);
    EXPECT_EQ(doc.GetSummarySeriesIndex(0), 0);
    EXPECT_EQ(doc.GetSummarySeriesIndex(1), 2);
    EXPECT_EQ(doc.GetSummaryRollId(1), u"C");
}

TEST(SummaryBuild, TieGoesToQAndTwoRBeatOneQ)
{
    CPaperDoc doc;
    Load(doc, {Make("A", {80}), Make("B", {90})});
    doc.SetRFlag(0, 1);
    doc.SetRFlag(1, 0);
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummaryUnit(), 0);
    EXPECT_FALSE(doc.GetInSummary(0));
    EXPECT_TRUE(doc.GetInSummary(1));
    EXPECT_EQ(doc.GetSummaryCount(), 1);

    CPaperDoc second;
    Load(second, {Make("A", {80}), Make("B", {90}), Make("C", {100}), Make("D", {100})});
    second.SetRFlag(1, 0);
    second.SetRFlag(3, 7);   // an unknown unit never joins a summary
    ASSERT_TRUE(second.BuildSummary());
    EXPECT_EQ(second.GetSummaryUnit(), 1);
    EXPECT_EQ(second.GetSummaryUnitText(), u"R");
    EXPECT_FALSE(second.GetInSummary(1));
    EXPECT_FALSE(second.GetInSummary(3));
    EXPECT_EQ(second.GetSummaryCount(), 2);
}

TEST(SummaryBuild, EntriesCarryTheSeriesMeansInCollectionOrder)
{
    CPaperDoc doc;
    // Q means 45.25 and 30.0; with the factor 250 (125 %) the second
    // series' R values are 30 * 1.25 = 37.5.
    Load(doc, {Make("ROLL-1", {90, 91, 90, 91}, 100, 11), Make("ROLL-2", {60, 60}, 200, 12)});
    doc.SetFactor(1, 250);
    ASSERT_TRUE(doc.BuildSummary());
    ASSERT_EQ(doc.GetSummaryCount(), 2);
    EXPECT_EQ(doc.GetSummaryValue(0), 90);   // trunc(45.25 * 2)
    EXPECT_FLOAT_EQ(doc.GetSummaryConvertedMean(0), 45.25f);
    EXPECT_EQ(doc.GetSummaryCounter(0), 11);
    EXPECT_EQ(doc.GetSummaryValue(1), 60);
    EXPECT_FLOAT_EQ(doc.GetSummaryConvertedMean(1), 37.5f);
    EXPECT_EQ(doc.GetSummaryRollId(1), u"ROLL-2");
    const MEAS_CONVERTED_T& e = doc.GetSummary().GetRecord(0).entries[1];
    EXPECT_EQ(e.energy, 0);
    EXPECT_EQ(e.status, 0);
    EXPECT_EQ(e.valid, 1u);
    // Bad entry indexes are tolerated.
    EXPECT_EQ(doc.GetSummarySeriesIndex(2), -1);
    EXPECT_EQ(doc.GetSummaryConvertedMean(-1), 65535.0f);
    EXPECT_EQ(doc.GetSummaryRollId(5), u"");
}

TEST(SummaryBuild, TimeSpanComparesStampsUnsignedAndOnlyOfTickedSeries)
{
    CPaperDoc doc;
    Load(doc, {Make("A", {80}, 0x80000010u), Make("B", {80}, 5), Make("C", {80}, 1), Make("D", {80}, 0xFFFFFFF0u)});
    doc.GetCurrent().SetInSummary(2, false);
    doc.GetCurrent().SetInSummary(3, false);
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummaryEarliest(), 5u);
    EXPECT_EQ(doc.GetSummaryLatest(), 0x80000010u);
}

TEST(SummaryBuild, SerialIsSharedOrDifferentSerials)
{
    CPaperDoc doc;
    Load(doc, {Make("A", {80}), Make("B", {80}), Make("C", {80})});
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummarySerial(), u"S-9");

    // A differing serial on an unticked series does not count.
    doc.GetCurrent().SetDeviceText(2, 0, u"S-10");
    doc.GetCurrent().SetInSummary(2, false);
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummarySerial(), u"S-9");

    doc.GetCurrent().SetInSummary(2, true);
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummarySerial(), u"Different serials");

    // A later build with one serial again drops the mark.
    doc.GetCurrent().SetInSummary(0, false);
    doc.GetCurrent().SetInSummary(1, false);
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummarySerial(), u"S-10");
}

TEST(SummaryBuild, RebuildKeepsTheUserSettingsAndReplacesTheEntries)
{
    CPaperDoc doc;
    EXPECT_FALSE(doc.BuildSummary());
    EXPECT_TRUE(doc.GetSummary().IsEmpty());

    Load(doc, {Make("A", {80}), Make("B", {90})});
    ASSERT_TRUE(doc.BuildSummary());
    doc.TakeChangeMark();
    doc.SetSummaryComment(u"lot 4");
    EXPECT_TRUE(doc.TakeChangeMark());
    doc.SetSummaryDisplaySetting(2);
    doc.SetSummaryAveragingMode(1);
    ASSERT_TRUE(doc.BuildSummary());
    ASSERT_TRUE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummary().GetCount(), 1);
    EXPECT_EQ(doc.GetSummaryCount(), 2);
    EXPECT_EQ(doc.GetSummaryComment(), u"lot 4");
    EXPECT_EQ(doc.GetSummaryDisplaySetting(), 2);
    EXPECT_EQ(doc.GetSummaryAveragingMode(), 1);

    // Deleting every series leaves no stale entry behind.
    doc.DeleteSeries(1);
    doc.DeleteSeries(0);
    EXPECT_FALSE(doc.BuildSummary());
    EXPECT_EQ(doc.GetSummaryCount(), 0);
    EXPECT_EQ(doc.GetSummarySerial(), u"");
    EXPECT_EQ(doc.GetSummaryComment(), u"lot 4");
}

TEST(SummaryBuild, SeriesWithoutImpactsGivesAnEntryWithoutValue)
{
    CPaperDoc doc;
    Load(doc, {Make("A", {80, 82}), Make("EMPTY", {})});
    ASSERT_TRUE(doc.BuildSummary());
    ASSERT_EQ(doc.GetSummaryCount(), 2);
    EXPECT_EQ(doc.GetSummaryConvertedMean(1), 65535.0f);
    const SummaryStatistics st = doc.GetSummaryStatistics();
    EXPECT_EQ(st.entries, 2);
    EXPECT_EQ(st.used, 1);
    EXPECT_FLOAT_EQ(st.meanConverted, 40.5f);
}
