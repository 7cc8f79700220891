// SPDX-License-Identifier: GPL-3.0-or-later
// Project files: the written bytes, round trips of formats 1 to 3, merging,
// rejected files.
#include <gtest/gtest.h>

#include "DocTestSupport.h"
#include "SeriesBytesBuilder.h"
#include "data/PaperDoc.h"
#include "platform/FileException.h"
#include "streamio/VnArchive.h"

using namespace DataTest;

namespace {

Series Make(const std::string& id, uint16_t counter, std::vector<uint8_t> values)
{
    Series s;
    s.id = id;
    s.counter = counter;
    s.dateTime = 500000u + counter;
    s.values = std::move(values);
    s.lower = 20;
    s.upper = 180;
    return s;
}

// A document as after a download and some editing of the current series.
void Fill(CPaperDoc& doc, const std::string& serial = "S-1001")
{
    const auto info = InfoBlock(serial);
    ASSERT_TRUE(doc.StoreDownloadedInfo(info.data(), info.size()));
    const auto bytes = InstrumentRecords({Make("ROLL-1", 1, {80, 90, 100}), Make("ROLL-2", 2, {}),
                                          Make("ROLL-3", 3, {60, 255})});
    ASSERT_TRUE(doc.StoreDownloadedSeries(bytes.data(), bytes.size()));
    doc.SetComment(0, u"first\r\nsecond line");
    doc.SetRollId(1, u"R\u00f6lle \u4e2d 2 with a long name");
    doc.SetGraphOrder(0, 1);
    doc.SetAutoAxis(2, false);
    doc.SetInSummary(1, false);
    summary_probe_meas_t& record = doc.GetSummary().AddRecord();
    record.comment = u"batch 7";
    record.displaySetting = 5;
}

void ExpectSameSeries(const CPaperData& a, const CPaperData& b)
{
    ASSERT_EQ(a.GetCount(), b.GetCount());
    for (int i = 0; i < a.GetCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.GetRollId(i), b.GetRollId(i));
        EXPECT_EQ(a.GetComment(i), b.GetComment(i));
        EXPECT_EQ(a.GetCounter(i), b.GetCounter(i));
        EXPECT_EQ(a.GetDateTime(i), b.GetDateTime(i));
        EXPECT_EQ(a.GetLowerLimit(i), b.GetLowerLimit(i));
        EXPECT_EQ(a.GetUpperLimit(i), b.GetUpperLimit(i));
        EXPECT_EQ(a.GetGraphOrder(i), b.GetGraphOrder(i));
        EXPECT_EQ(a.GetAutoAxis(i), b.GetAutoAxis(i));
        for (int w = 0; w < 5; ++w)
            EXPECT_EQ(a.GetDeviceText(i, w), b.GetDeviceText(i, w));
        ASSERT_EQ(a.GetImpactCount(i), b.GetImpactCount(i));
        for (int k = 0; k < a.GetImpactCount(i); ++k) {
            EXPECT_EQ(a.GetImpact(i, k).value, b.GetImpact(i, k).value);
            EXPECT_EQ(static_cast<int>(a.GetImpact(i, k).energy), static_cast<int>(b.GetImpact(i, k).energy));
            EXPECT_EQ(a.GetImpact(i, k).status, b.GetImpact(i, k).status);
        }
    }
}

} // namespace

TEST(ProjectFile, HeaderBytesAtVersion1810)
{
    CPaperDoc doc;
    doc.SetWriterVersion({1, 8, 1, 0});
    Fill(doc);
    const std::string path = TempPath("golden.vnr");
    ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(path)));
    const auto bytes = ReadFile(path);

    Bytes expected;
    expected.Text(u"Vantor Brelmora project file");
    expected.U16(1).U16(8).U16(1).U16(0).U16(3);
    expected.U32(128);
    ASSERT_GE(bytes.size(), expected.data.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(expected.data.size())),
              expected.data);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 28);
    EXPECT_EQ(bytes[2], 0);
    // ... then 01 00 08 00 01 00 00 00 03 00 right after the text.
    const std::vector<uint8_t> version = {1, 0, 8, 0, 1, 0, 0, 0, 3, 0};
    EXPECT_TRUE(std::equal(version.begin(), version.end(), bytes.begin() + 3 + 56));
    // Item 23: twenty reserved zeros end the file.
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 80, bytes.end()), std::vector<uint8_t>(80, 0));
}

TEST(ProjectFile, Format3RoundTripKeepsBothCollectionsAndTheSummary)
{
    CPaperDoc doc;
    Fill(doc);
    doc.Sort(6);   // roll ID descending
    const std::u16string path = TempPath16("roundtrip.vnr");
    ASSERT_TRUE(doc.WriteProject(path));
    EXPECT_FALSE(doc.HasChangeMark());

    CPaperDoc loaded;
    FakeUi ui;
    loaded.SetUi(&ui);
    ASSERT_TRUE(loaded.OpenProject(path));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(loaded.GetPath(), path);
    EXPECT_FALSE(loaded.HasChangeMark());
    EXPECT_EQ(loaded.GetLoadedFormat(), 3);
    EXPECT_EQ(loaded.GetLoadedWriterVersion(), doc.GetWriterVersion());
    EXPECT_TRUE(loaded.WasLoadedComplete());
    ExpectSameSeries(doc.GetCurrent(), loaded.GetCurrent());
    ExpectSameSeries(doc.GetOriginal(), loaded.GetOriginal());
    EXPECT_EQ(loaded.GetRollId(1), u"ROLL-3");
    EXPECT_EQ(loaded.GetOriginal().GetRollId(1), u"ROLL-2");
    EXPECT_EQ(loaded.GetComment(2), u"first\r\nsecond line");
    // The in-summary tick and the sort mode are not stored.
    EXPECT_TRUE(loaded.GetInSummary(1));
    EXPECT_EQ(loaded.GetSortMode(), 0);
    ASSERT_EQ(loaded.GetSummary().GetCount(), 1);
    EXPECT_EQ(loaded.GetSummary().GetComment(0), u"batch 7");
    EXPECT_EQ(loaded.GetSummary().GetRecord(0).displaySetting, 5);
    EXPECT_EQ(loaded.GetSummary().GetRecord(0).averagingMode, 2);
}

TEST(ProjectFile, StoredRFlagAndFactorOpenAsAfterADownload)
{
    CPaperDoc doc;
    Fill(doc);
    doc.SetRFlag(0, 0);
    doc.SetFactor(0, 250);
    const std::u16string path = TempPath16("rflag.vnr");
    ASSERT_TRUE(doc.WriteProject(path));
    CPaperDoc loaded;
    ASSERT_TRUE(loaded.OpenProject(path));
    EXPECT_EQ(loaded.GetRFlag(0), 1);
    EXPECT_EQ(loaded.GetFactor(0), 200);
}

TEST(ProjectFile, ClearedRollIdStaysClearedAfterReopening)
{
    CPaperDoc doc;
    Fill(doc);
    doc.SetRollId(0, u"");
    const std::u16string path = TempPath16("cleared.vnr");
    ASSERT_TRUE(doc.WriteProject(path));
    CPaperDoc loaded;
    ASSERT_TRUE(loaded.OpenProject(path));
    EXPECT_EQ(loaded.GetRollId(0), u"");
    EXPECT_EQ(loaded.GetOriginal().GetRollId(0), u"ROLL-1");
}

TEST(ProjectFile, OlderFormatsOpen)
{
    const std::vector<Series> list = {Make("ABCDEFGHIJKLM", 1, {40, 50}), Make("SHORT", 2, {70})};
    for (uint16_t format : {uint16_t{1}, uint16_t{2}}) {
        SCOPED_TRACE(format);
        const std::string path = TempPath("old.vnr");
        WriteFile(path, HandProject(format, list, {u"c1", u"c2"}));
        CPaperDoc doc;
        FakeUi ui;
        doc.SetUi(&ui);
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(path)));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(doc.GetLoadedFormat(), format);
        ASSERT_EQ(doc.GetCount(), 2);
        EXPECT_EQ(doc.GetRollId(0), u"ABCDEFGHIJKLM");
        EXPECT_EQ(doc.GetComment(1), u"c2");
        EXPECT_EQ(doc.GetImpactCount(0), 2);
        EXPECT_EQ(doc.GetValue(1, 0, true), 70);
        EXPECT_EQ(doc.GetSerial(1), u"S-1001");
        EXPECT_EQ(doc.GetGraphOrder(1), 1);
        EXPECT_TRUE(doc.GetAutoAxis(0));   // no axis list before format 3
        EXPECT_EQ(doc.GetOriginal().GetCount(), 2);
        ASSERT_EQ(doc.GetSummary().GetCount(), 1);
        EXPECT_EQ(doc.GetSummary().GetRecord(0).displaySetting, 7);
        EXPECT_EQ(doc.GetSummary().GetRecord(0).averagingMode, 2);
    }
}

TEST(ProjectFile, ListsLongerThanTheSeriesAndEightBitTextsAreRead)
{
    // A format-3 file by hand whose lists hold more entries than series,
    // with 8-bit texts.
    const std::vector<Series> list = {Make("ONE", 1, {10})};
    const auto info = InfoBlock("S-9");
    const auto records = StoredRecords(list);
    Bytes b;
    b.Text(u"Vantor Brelmora project file").U16(1).U16(0).U16(0).U16(0).U16(3);
    b.Block(info).Block(records).Block(info).Block(records);
    b.U32(3).Text8("eight-bit \xE9").Text(u"dropped").Text(u"dropped");
    b.U32(2).Text(u"").Text(u"dropped");   // empty roll IDs are not stored
    for (int w = 0; w < 10; ++w)
        b.TextList({u"dev", u"dropped"});
    b.U32(2).U16(0xFFFF).U16(1);
    b.U32(0);
    b.U32(4).U8(0).U8(1).U8(1).U8(1);
    const std::string path = TempPath("lists.vnr");
    WriteFile(path, b.data);   // no reserved words: they are not read

    CPaperDoc doc;
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(path)));
    ASSERT_EQ(doc.GetCount(), 1);
    EXPECT_EQ(doc.GetComment(0), u"eight-bit \u00e9");
    EXPECT_EQ(doc.GetRollId(0), u"ONE");
    EXPECT_EQ(doc.GetSerial(0), u"dev");
    EXPECT_EQ(doc.GetOriginal().GetSerial(0), u"dev");
    EXPECT_EQ(doc.GetGraphOrder(0), -1);
    EXPECT_FALSE(doc.GetAutoAxis(0));
    EXPECT_TRUE(doc.GetSummary().IsEmpty());
}

TEST(ProjectFile, EmptyCurrentCollectionOpensWithoutSeries)
{
    CPaperDoc doc;
    const auto info = InfoBlock("S-1");
    doc.StoreDownloadedInfo(info.data(), info.size());
    const std::u16string path = TempPath16("empty.vnr");
    ASSERT_TRUE(doc.WriteProject(path));
    CPaperDoc loaded;
    FakeUi ui;
    loaded.SetUi(&ui);
    ASSERT_TRUE(loaded.OpenProject(path));
    EXPECT_EQ(loaded.GetCount(), 0);
    EXPECT_EQ(loaded.GetOriginal().GetCount(), 0);
    EXPECT_TRUE(ui.messages.empty());   // an empty block is not damage
    EXPECT_TRUE(loaded.WasLoadedComplete());
}

TEST(ProjectFile, ForeignHeaderIsRejected)
{
    CPaperDoc doc;
    Fill(doc);
    const std::string path = TempPath("foreign.vnr");
    ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(path)));
    auto bytes = ReadFile(path);
    bytes[3 + 2 * 7] = 'b';   // "Vantor brelmora ..."
    WriteFile(path, bytes);

    CPaperDoc other;
    FakeUi ui;
    other.SetUi(&ui);
    EXPECT_FALSE(other.OpenProject(Platform::FromUtf8(path)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageError);
    // The message, then a line naming the file and saying why.
    EXPECT_EQ(ui.messages[0].second, u"This is not a Brelmora project file or there was an error while reading.\n" +
                                         Platform::FromUtf8(path) +
                                         u": it does not begin as a Brelmora project file does.");
    EXPECT_TRUE(other.GetPath().empty());

    // A file that does not exist is reported the same way.
    ui.messages.clear();
    EXPECT_FALSE(other.OpenProject(TempPath16("missing.vnr")));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(ProjectFile, ShortSeriesBlockOpensWhatWasReadAndWarns)
{
    // The current series block holds one and a half series; the length
    // fields are consistent, so only the parse comes up short.
    const std::vector<Series> list = {Make("FULL", 1, {10, 20}), Make("CUT", 2, {30, 40, 50})};
    auto records = StoredRecords(list);
    records.resize(records.size() - 6);
    const auto info = InfoBlock("S-2");
    Bytes b;
    b.Text(u"Vantor Brelmora project file").U16(1).U16(0).U16(0).U16(0).U16(3);
    b.Block(info).Block(records).Block(info).Block(records);
    for (int k = 0; k < 12; ++k)
        b.U32(0);
    b.U32(0).U32(0).U32(0);
    const std::string path = TempPath("short.vnr");
    WriteFile(path, b.data);

    CPaperDoc doc;
    FakeUi ui;
    doc.SetUi(&ui);
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(path)));
    EXPECT_FALSE(doc.WasLoadedComplete());
    ASSERT_EQ(doc.GetCount(), 2);
    EXPECT_EQ(doc.GetImpactCount(1), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageWarning);
    EXPECT_NE(ui.messages[0].second.find(Platform::FromUtf8(path)), std::u16string::npos);
}

TEST(ProjectFile, MergingAppendsSelectedSeriesAndTakesTheirBlock)
{
    // Clipboard-like data: two of three series of another document.
    CPaperDoc source;
    Fill(source, "PASTED");
    source.SetComment(2, u"third");
    const std::u16string clip = TempPath16("clip.bin");
    {
        StreamIO::CVnArchive ar(clip, 0);
        const uint8_t selection[] = {1, 0, 1};
        source.WriteProject(ar, selection);
        ar.Close();
    }

    CPaperDoc doc;
    Fill(doc, "MINE");
    doc.GetSummary().GetRecord(0).comment = u"mine";
    {
        StreamIO::CVnArchive ar(clip, StreamIO::CVnArchive::load);
        const CPaperDoc::ReadResult result = doc.ReadProject(ar, true);
        EXPECT_TRUE(result.complete);
    }
    ASSERT_EQ(doc.GetCount(), 5);
    EXPECT_EQ(doc.GetComment(3), u"first\r\nsecond line");
    EXPECT_EQ(doc.GetRollId(3), u"ROLL-1");
    EXPECT_EQ(doc.GetComment(4), u"third");
    EXPECT_EQ(doc.GetRollId(4), u"ROLL-3");
    EXPECT_EQ(doc.GetGraphOrder(3), 1);
    EXPECT_FALSE(doc.GetAutoAxis(4));
    EXPECT_EQ(doc.GetRollId(1), u"R\u00f6lle \u4e2d 2 with a long name");
    // The pasted block replaces the current one, for old series too.
    EXPECT_EQ(doc.GetSerial(0), u"PASTED");
    EXPECT_EQ(doc.GetSerial(4), u"PASTED");
    // The original collection and the summary are untouched.
    ASSERT_EQ(doc.GetOriginal().GetCount(), 3);
    EXPECT_EQ(doc.GetOriginal().GetSerial(0), u"MINE");
    ASSERT_EQ(doc.GetSummary().GetCount(), 1);
    EXPECT_EQ(doc.GetSummary().GetComment(0), u"mine");
}

TEST(ProjectFile, SelectionWritesNoOriginalData)
{
    CPaperDoc source;
    Fill(source);
    const std::u16string clip = TempPath16("clip2.bin");
    {
        StreamIO::CVnArchive ar(clip, 0);
        const uint8_t selection[] = {0, 1, 0};
        source.WriteProject(ar, selection);
        ar.Close();
    }
    const auto bytes = ReadFile(Platform::ToUtf8(clip));
    const size_t afterHeader = 3 + 56 + 10;
    // Items 4 and 5 are empty blocks; item 6 is the full block.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + afterHeader, bytes.begin() + afterHeader + 12),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 128, 0, 0, 0}));

    // Without merging, the empty original block is rejected; merged, the
    // one selected series arrives.
    CPaperDoc doc;
    {
        StreamIO::CVnArchive ar(clip, StreamIO::CVnArchive::load);
        try {
            doc.ReadProject(ar, false);
            ADD_FAILURE() << "read without merging";
        } catch (const Platform::CFileException& e) {
            EXPECT_EQ(e.GetOsError(), 13u);
        }
    }
    StreamIO::CVnArchive ar(clip, StreamIO::CVnArchive::load);
    doc.ReadProject(ar, true);
    EXPECT_EQ(doc.GetOriginal().GetCount(), 0);
    ASSERT_EQ(doc.GetCount(), 1);
    EXPECT_EQ(doc.GetCounter(0), 2);
}
