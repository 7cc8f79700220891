// SPDX-License-Identifier: GPL-3.0-or-later
// The series model: parsing, conversion, statistics, limits, sorting, copying.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

#include "SeriesBytesBuilder.h"
#include "data/PaperData.h"
#include "data/PaperDoc.h"

using DataTest::Series;

namespace {

void Parse(CPaperData& data, const std::vector<Series>& list, bool append = false)
{
    const auto bytes = DataTest::InstrumentRecords(list);
    ASSERT_TRUE(data.ParseSeries(bytes.data(), bytes.size(), false, false, append));
}

Series Make(const std::string& id, uint16_t counter, std::vector<uint8_t> values)
{
    Series s;
    s.id = id;
    s.counter = counter;
    s.dateTime = 1000u * counter;
    s.values = std::move(values);
    return s;
}

} // namespace

TEST(PaperDataParse, InstrumentDownloadGivesHeadsImpactsAndDeviceTexts)
{
    CPaperData data;
    const auto info = DataTest::InfoBlock("S-1001");
    ASSERT_TRUE(data.SetInfoBlock(info.data(), info.size()));
    Series a = Make("ROLL-A", 17, {80, 90, 100});
    a.lower = 60;
    a.upper = 180;
    Parse(data, {a, Make("ROLL-BBBBBBBBBBB", 18, {})});

    ASSERT_EQ(data.GetCount(), 2);
    EXPECT_EQ(data.GetRollId(0), u"ROLL-A");
    EXPECT_EQ(data.GetRollId(1), u"ROLL-BBBBBBBBBBB");   // all 16 bytes
    EXPECT_EQ(data.GetCounter(0), 17);
    EXPECT_EQ(data.GetDateTime(0), 17000u);
    EXPECT_EQ(data.GetImpactCount(0), 3);
    EXPECT_EQ(data.GetImpactCount(1), 0);
    EXPECT_EQ(data.GetLowerLimit(0), 60);
    EXPECT_EQ(data.GetUpperLimit(0), 180);
    EXPECT_EQ(data.GetRFlag(0), 1);
    EXPECT_EQ(data.GetFactor(0), 200);
    EXPECT_EQ(data.GetImpact(0, 2).value, 100);
    EXPECT_EQ(static_cast<int>(data.GetImpact(0, 2).energy), 1500);   // packed: compare a copy
    EXPECT_EQ(data.GetImpact(0, 2).status, 0x5A);
    EXPECT_EQ(data.GetSerial(1), u"S-1001");
    EXPECT_EQ(data.GetDeviceText(0, 1), u"VELTRANO");
    EXPECT_EQ(data.GetDeviceText(0, 2), u"FW 2.10");
    EXPECT_EQ(data.GetDeviceText(0, 4), u"B7");
    EXPECT_EQ(data.GetGraphOrder(0), -1);
    EXPECT_TRUE(data.GetAutoAxis(0));
    EXPECT_FALSE(data.GetExpanded(0));
    EXPECT_TRUE(data.GetInSummary(0));
    // After a parse R values equal Q values.
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(data.GetValue(0, k, false), data.GetValue(0, k, true));
}

TEST(PaperDataParse, DeviceTextsRunToTheFirstNulOrTheEndOfTheBlock)
{
    CPaperData data;
    auto info = DataTest::InfoBlock("S-1");
    info[63] = 'Z';                       // the text at 62 runs on into 64's
    for (size_t k = 100; k < 128; ++k)    // a text without NUL up to the end
        info[k] = 'x';
    info[34 + 6] = 0;
    ASSERT_TRUE(data.SetInfoBlock(info.data(), info.size()));
    Parse(data, {Make("A", 1, {10})});
    EXPECT_EQ(data.GetDeviceText(0, 3), u"AZB7");
    EXPECT_EQ(data.GetDeviceText(0, 4), u"B7");

    info[2] = 0;
    std::fill(info.begin() + 48, info.end(), 'y');
    ASSERT_TRUE(data.SetInfoBlock(info.data(), info.size()));
    data.ApplyInfoBlockTexts();
    EXPECT_EQ(data.GetDeviceText(0, 1), u"");
    EXPECT_EQ(data.GetDeviceText(0, 2).size(), 128u - 48u);
}

TEST(PaperDataParse, ShortIdsOfFormatOneFillThirteenCharacters)
{
    CPaperData data;
    Series s = Make("ABCDEFGHIJKLM", 5, {40, 41});
    const auto bytes = DataTest::StoredRecords({s, s}, 13);
    ASSERT_TRUE(data.ParseSeries(bytes.data(), bytes.size(), true, true, false));
    ASSERT_EQ(data.GetCount(), 2);
    EXPECT_EQ(data.GetRollId(0), u"ABCDEFGHIJKLM");
    EXPECT_EQ(data.GetImpactCount(1), 2);
    EXPECT_EQ(data.GetValue(1, 1, true), 41);
}

TEST(PaperDataParse, CutShortStreams)
{
    CPaperData data;
    const auto bytes = DataTest::InstrumentRecords({Make("A", 1, {10, 20}), Make("B", 2, {30, 40, 50})});
    const size_t first = 27 + 8;

    // The second head cut short: that series is not added.
    EXPECT_FALSE(data.ParseSeries(bytes.data(), first + 26, false, false, false));
    EXPECT_EQ(data.GetCount(), 1);

    // Impacts cut short: the series keeps those read and counts them.
    EXPECT_FALSE(data.ParseSeries(bytes.data(), first + 27 + 4 + 3, false, false, false));
    ASSERT_EQ(data.GetCount(), 2);
    EXPECT_EQ(data.GetImpactCount(1), 1);
    std::vector<uint8_t> out;
    data.WriteSeries(out);
    EXPECT_EQ(out[29 + 8 + 22], 1);   // the stored head tells the count held

    // An empty stream fails and, unless appending, empties the collection.
    data.Sort(3);
    EXPECT_FALSE(data.ParseSeries(bytes.data(), 0, false, false, true));
    EXPECT_EQ(data.GetCount(), 2);
    EXPECT_FALSE(data.ParseSeries(nullptr, 0, false, false, false));
    EXPECT_EQ(data.GetCount(), 0);
    EXPECT_EQ(data.GetSortMode(), 0);
}

TEST(PaperDataValues, ConversionRoundsToHalfStepsAndClamps)
{
    for (int b = 0; b < 256; ++b)   // 100 % converts every value to itself
        EXPECT_EQ(CPaperData::ConvertValue(static_cast<uint8_t>(b), 200), b);
    EXPECT_EQ(CPaperData::ConvertValue(100, 250), 125);
    EXPECT_EQ(CPaperData::ConvertValue(1, 201), 1);      // 1.005 half steps
    EXPECT_EQ(CPaperData::ConvertValue(100, 201), 101);  // 100.5: halves round up
    EXPECT_EQ(CPaperData::ConvertValue(100, 199), 100);  // 99.5 rounds up
    EXPECT_EQ(CPaperData::ConvertValue(255, 255), 255);  // 325 clamped
    EXPECT_EQ(CPaperData::ConvertValue(0, 255), 0);

    CPaperData data;
    Parse(data, {Make("A", 1, {100, 200})});
    data.SetFactor(0, 250);
    data.SetRFlag(0, 0);
    // GetValue converts whatever the R flag is.
    EXPECT_EQ(data.GetValue(0, 0, false), 125);
    EXPECT_EQ(data.GetValue(0, 1, false), 250);
    EXPECT_EQ(data.GetValue(0, 1, true), 200);
    EXPECT_EQ(data.GetValue(0, 5, false), 0);
    EXPECT_EQ(data.GetValue(3, 0, true), 0);
}

TEST(PaperDataStatistics, MeansDeviationsExtremesAndEnergy)
{
    CPaperData data;
    Parse(data, {Make("A", 1, {80, 90, 100}), Make("B", 2, {77}), Make("C", 3, {})});
    const SeriesStatistics a = data.ComputeStatistics(0);
    EXPECT_FLOAT_EQ(a.meanQ, 45.0f);
    EXPECT_FLOAT_EQ(a.meanR, 45.0f);
    EXPECT_FLOAT_EQ(a.stdDevQ, 5.0f);
    EXPECT_FLOAT_EQ(a.stdDevR, 5.0f);
    EXPECT_FLOAT_EQ(a.minR, 40.0f);
    EXPECT_FLOAT_EQ(a.maxR, 50.0f);
    EXPECT_FLOAT_EQ(a.range, 10.0f);
    EXPECT_FLOAT_EQ(a.meanEnergy, 1.5f);

    // One impact: deviations and range 0.
    const SeriesStatistics b = data.ComputeStatistics(1);
    EXPECT_EQ(b.stdDevQ, 0.0f);
    EXPECT_EQ(b.stdDevR, 0.0f);
    EXPECT_EQ(b.range, 0.0f);
    EXPECT_FLOAT_EQ(b.meanQ, 38.5f);

    // No impacts: no division by zero; deviations carry the missing marker.
    const SeriesStatistics c = data.ComputeStatistics(2);
    EXPECT_EQ(c.meanQ, 0.0f);
    EXPECT_EQ(c.meanR, 0.0f);
    EXPECT_EQ(c.stdDevQ, CPaperData::kMissingValue);
    EXPECT_EQ(c.stdDevR, CPaperData::kMissingValue);
    EXPECT_EQ(c.range, 0.0f);
    EXPECT_EQ(c.meanEnergy, 0.0f);

    // R values use the factor when the R flag is set.
    data.SetFactor(0, 250);
    const SeriesStatistics r = data.ComputeStatistics(0);
    EXPECT_FLOAT_EQ(r.meanQ, 45.0f);
    EXPECT_FLOAT_EQ(r.minR, 50.0f);
    EXPECT_FLOAT_EQ(r.maxR, 62.5f);
    data.SetRFlag(0, 0);
    EXPECT_FLOAT_EQ(data.ComputeStatistics(0).maxR, 50.0f);
}

TEST(PaperDataStatistics, EqualValuesNeverGiveNotANumber)
{
    CPaperData data;
    for (uint8_t v : {uint8_t{201}, uint8_t{255}, uint8_t{67}, uint8_t{1}}) {
        Parse(data, {Make("E", 1, std::vector<uint8_t>(255, v))});
        const SeriesStatistics s = data.ComputeStatistics(0);
        EXPECT_FALSE(std::isnan(s.stdDevQ)) << int(v);
        EXPECT_LT(s.stdDevQ, 0.05f) << int(v);
        EXPECT_FALSE(std::isnan(s.stdDevR)) << int(v);
    }
}

TEST(PaperDataLimits, SettingAcrossTheOtherLimitSwaps)
{
    CPaperData data;
    Series s = Make("A", 1, {10});
    s.lower = 40;
    s.upper = 120;
    Parse(data, {s});
    data.SetLowerLimit(0, 160);   // 80 Q above the upper limit of 60 Q
    EXPECT_EQ(data.GetLowerLimit(0), 120);
    EXPECT_EQ(data.GetUpperLimit(0), 160);
    data.SetUpperLimit(0, 100);   // below the lower limit
    EXPECT_EQ(data.GetLowerLimit(0), 100);
    EXPECT_EQ(data.GetUpperLimit(0), 120);
    data.SetLowerLimit(0, 120);   // equal is no swap
    EXPECT_EQ(data.GetLowerLimit(0), 120);
    EXPECT_EQ(data.GetUpperLimit(0), 120);
    data.SetUpperLimit(0, 121);
    EXPECT_EQ(data.GetLowerLimitText(0), u"60.0");
    EXPECT_EQ(data.GetUpperLimitText(0), u"60.5");
}

TEST(PaperDataAccess, IndexRulesAndTexts)
{
    CPaperData data;
    Parse(data, {Make("A", 1, {10})});
    // Tolerant accessors.
    EXPECT_EQ(data.GetComment(-1), u"");
    EXPECT_EQ(data.GetSerial(1), u"");
    EXPECT_TRUE(data.GetAutoAxis(1));
    EXPECT_FALSE(data.GetExpanded(1));
    EXPECT_FALSE(data.GetInSummary(1));
    data.SetComment(1, u"x");
    data.SetRollId(-3, u"x");
    data.SetInSummary(9, false);
    EXPECT_EQ(data.GetCount(), 1);
    // Strict accessors.
    EXPECT_THROW(data.SetLowerLimit(-1, 3), std::out_of_range);
    EXPECT_THROW(data.GetImpact(0, 1), std::out_of_range);
    EXPECT_THROW(data.DeleteSeries(1), std::out_of_range);

    EXPECT_EQ(data.GetUnitText(0), u"R");
    EXPECT_EQ(data.GetDisplayInfo(0), 1);
    data.SetRFlag(0, 0);
    EXPECT_EQ(data.GetUnitText(0), u"Q");
    data.SetRFlag(0, 7);
    EXPECT_EQ(data.GetUnitText(0), u"unknown unit");
    EXPECT_EQ(data.GetDisplayInfo(0), 0);
}

TEST(PaperDataAccess, SettersTellTheDocument)
{
    CPaperDoc doc;
    CPaperData& data = doc.GetCurrent();
    Parse(data, {Make("A", 1, {10}), Make("B", 2, {20})});
    EXPECT_FALSE(doc.IsDataChanged());
    data.SetExpanded(0, true);
    EXPECT_TRUE(doc.IsDataChanged());
    EXPECT_FALSE(doc.HasChangeMark());   // view state only
    data.SetComment(0, u"");             // unchanged value
    EXPECT_FALSE(doc.HasChangeMark());
    data.SetRollId(0, u"NEW");
    EXPECT_TRUE(doc.TakeChangeMark());
    doc.SetDataChanged(false);
    data.DeleteSeries(0);
    EXPECT_TRUE(doc.IsDataChanged());
    EXPECT_TRUE(doc.HasChangeMark());
    EXPECT_EQ(data.GetRollId(0), u"B");
}

TEST(PaperDataSort, EveryModeOrdersByItsKey)
{
    CPaperData data;
    Series a = Make("delta", 3, {80, 80, 80});
    a.lower = 30;
    a.upper = 150;
    a.energy = 2000;
    Series b = Make("alpha", 1, {60, 102});
    b.lower = 10;
    b.upper = 190;
    b.energy = 500;
    Series c = Make("charlie", 2, {10, 20, 30, 200});
    c.lower = 20;
    c.upper = 170;
    c.energy = 1000;
    Parse(data, {a, b, c});
    data.SetComment(0, u"a");
    data.SetComment(1, u"b");
    data.SetComment(2, u"c");

    auto order = [&]() {
        std::u16string s;
        for (int i = 0; i < data.GetCount(); ++i)
            s += data.GetComment(i);
        return s;
    };
    const struct {
        uint8_t mode;
        const char16_t* expected;
    } cases[] = {
        {1, u"bca"},  {2, u"acb"},  {3, u"bca"},  {4, u"acb"},  {5, u"bca"},  {6, u"acb"},
        {7, u"cab"},  {8, u"bac"},  {9, u"bca"},  {10, u"acb"}, {11, u"acb"}, {12, u"bca"},
        {15, u"abc"}, {16, u"cba"}, {17, u"bac"}, {18, u"cab"}, {19, u"abc"}, {20, u"cba"},
        {21, u"bca"}, {22, u"acb"},
    };
    for (const auto& t : cases) {
        data.Sort(t.mode);
        EXPECT_EQ(order(), t.expected) << "mode " << int(t.mode);
        EXPECT_EQ(data.GetSortMode(), t.mode);
    }
    for (uint8_t mode : {uint8_t{13}, uint8_t{14}, uint8_t{0}, uint8_t{23}, uint8_t{255}}) {
        const std::u16string before = order();
        data.Sort(mode);
        EXPECT_EQ(order(), before);
        EXPECT_EQ(data.GetSortMode(), mode);
    }
}

TEST(PaperDataCopy, WriteSeriesRoundTripAndSelection)
{
    CPaperData data;
    Parse(data, {Make("A", 1, {10, 11}), Make("B", 2, {}), Make("C", 3, {30})});
    data.SetDateTime(1, 0xA1B2C3D4u);
    std::vector<uint8_t> all;
    data.WriteSeries(all);
    ASSERT_EQ(all.size(), 3 * 29 + 3 * 4u);
    EXPECT_EQ(all[18 + 37], 0xD4);   // date of the second head, little-endian
    EXPECT_EQ(all[21 + 37], 0xA1);

    CPaperData copy;
    ASSERT_TRUE(copy.ParseSeries(all.data(), all.size(), true, false, false));
    ASSERT_EQ(copy.GetCount(), 3);
    EXPECT_EQ(copy.GetDateTime(1), 0xA1B2C3D4u);
    EXPECT_EQ(copy.GetValue(0, 1, true), 11);

    const uint8_t selection[] = {0, 1, 1};
    std::vector<uint8_t> some = {0xEE};   // WriteSeries appends
    data.WriteSeries(some, selection);
    ASSERT_EQ(some.size(), 1 + 2 * 29 + 4u);
    ASSERT_TRUE(copy.ParseSeries(some.data() + 1, some.size() - 1, true, false, false));
    ASSERT_EQ(copy.GetCount(), 2);
    EXPECT_EQ(copy.GetRollId(0), u"B");
}

TEST(PaperDataCopy, CopyFromTakesTextsTicksAndSortModeButResetsTheRest)
{
    CPaperData source;
    auto info = DataTest::InfoBlock("SRC");
    source.SetInfoBlock(info.data(), info.size());
    Parse(source, {Make("A", 1, {10}), Make("B", 2, {20})});
    source.SetComment(1, u"note");
    source.SetRollId(0, u"Renamed roll with a long name");
    source.SetDeviceText(1, 0, u"OTHER");
    source.SetInSummary(0, false);
    source.SetRFlag(0, 0);
    source.SetFactor(0, 250);
    source.SetGraphOrder(0, 1);
    source.SetAutoAxis(0, false);
    source.SetExpanded(0, true);
    source.Sort(4);

    CPaperData copy;
    copy.CopyFrom(source);
    ASSERT_EQ(copy.GetCount(), 2);
    // Order as the source's (descending by date): B, then the renamed A.
    EXPECT_EQ(copy.GetRollId(0), u"B");
    EXPECT_EQ(copy.GetComment(0), u"note");
    EXPECT_EQ(copy.GetSerial(0), u"OTHER");
    EXPECT_EQ(copy.GetRollId(1), u"Renamed roll with a long name");
    EXPECT_EQ(copy.GetSerial(1), u"SRC");
    EXPECT_FALSE(copy.GetInSummary(1));
    EXPECT_EQ(copy.GetSortMode(), 4);
    EXPECT_EQ(copy.GetInfoBlock().bytes[34], 'S');
    // R flag, factor and the view flags are as a parse gives them.
    EXPECT_EQ(copy.GetRFlag(1), 1);
    EXPECT_EQ(copy.GetFactor(1), 200);
    EXPECT_EQ(copy.GetGraphOrder(1), -1);
    EXPECT_TRUE(copy.GetAutoAxis(1));
    EXPECT_FALSE(copy.GetExpanded(1));
}

TEST(PaperDataSort, StatisticKeysAgreeWithComputeStatistics)
{
    // Random series with converted values: after sorting, the statistic of
    // each mode is ordered as ComputeStatistics gives it.
    std::mt19937 random(99);
    std::vector<Series> list;
    for (int i = 0; i < 300; ++i) {
        Series s = Make("S" + std::to_string(random() % 1000), static_cast<uint16_t>(i), {});
        const size_t count = random() % 6;
        for (size_t k = 0; k < count; ++k)
            s.values.push_back(static_cast<uint8_t>(random()));
        s.energy = static_cast<uint16_t>(random());
        list.push_back(s);
    }
    CPaperData data;
    Parse(data, list);
    for (int i = 0; i < data.GetCount(); i += 3)
        data.SetFactor(i, static_cast<uint8_t>(150 + i % 100));
    const struct {
        uint8_t mode;
        float SeriesStatistics::*field;
    } cases[] = {{7, &SeriesStatistics::meanQ}, {15, &SeriesStatistics::stdDevQ},
                 {19, &SeriesStatistics::range}, {21, &SeriesStatistics::meanEnergy}};
    for (const auto& t : cases) {
        for (uint8_t mode : {t.mode, static_cast<uint8_t>(t.mode + 1)}) {
            data.Sort(mode);
            for (int i = 1; i < data.GetCount(); ++i) {
                const float a = data.ComputeStatistics(i - 1).*t.field;
                const float b = data.ComputeStatistics(i).*t.field;
                if (mode & 1)
                    EXPECT_LE(a, b) << "mode " << int(mode) << " at " << i;
                else
                    EXPECT_GE(a, b) << "mode " << int(mode) << " at " << i;
            }
        }
    }
    data.Sort(5);
    for (int i = 1; i < data.GetCount(); ++i)
        EXPECT_LE(data.GetRollId(i - 1), data.GetRollId(i));
}
