// SPDX-License-Identifier: GPL-3.0-or-later
// Copy and paste of series through the private clipboard format.
#include <gtest/gtest.h>

#include "ClipboardTestSupport.h"
#include "DocTestSupport.h"
#include "data/ClipboardStrings.h"
#include "platform/StringTable.h"
#include "streamio/ram/RamDisk.h"
#include "streamio/ram/RamStream.h"

using namespace DataTest;

TEST_F(ClipboardTest, PastingTwoSeriesIntoADocumentOfThree)
{
    CPaperDoc source;
    Fill(source, "SRC-9", "A", {11, 12, 13, 14, 15});
    source.SetComment(1, u"first \u00e9 comment");
    source.SetComment(3, u"second");
    source.SetRollId(3, u"Roll \u20ac 3");
    source.SetGraphOrder(1, 0);
    source.SetAutoAxis(3, false);
    ASSERT_TRUE(source.CopyToClipboard(Select(source, {1, 3})));

    CPaperDoc target;
    FakeView view;
    target.RegisterView(&view);
    Fill(target, "DST-1", "B", {1, 2, 3});
    view.calls.clear();
    EXPECT_TRUE(target.CanPaste());
    ASSERT_TRUE(target.PasteFromClipboard());

    ASSERT_EQ(target.GetCount(), 5);
    EXPECT_EQ(target.GetCounter(3), 12);
    EXPECT_EQ(target.GetComment(3), u"first \u00e9 comment");
    EXPECT_EQ(target.GetRollId(3), u"A12");
    EXPECT_EQ(target.GetGraphOrder(3), 0);
    EXPECT_TRUE(target.GetAutoAxis(3));
    EXPECT_EQ(target.GetCounter(4), 14);
    EXPECT_EQ(target.GetComment(4), u"second");
    EXPECT_EQ(target.GetRollId(4), u"Roll \u20ac 3");
    EXPECT_FALSE(target.GetAutoAxis(4));
    EXPECT_EQ(target.GetImpactCount(4), 2);
    EXPECT_EQ(target.GetComment(0), u"");
    // The pasted block replaces the current one, for every current series.
    EXPECT_EQ(target.GetSerial(0), u"SRC-9");
    EXPECT_EQ(target.GetSerial(4), u"SRC-9");
    // The original collection is untouched.
    ASSERT_EQ(target.GetOriginal().GetCount(), 3);
    EXPECT_EQ(target.GetOriginal().GetSerial(0), u"DST-1");
    EXPECT_EQ(target.GetOriginal().GetRollId(2), u"B3");
    EXPECT_TRUE(target.HasChangeMark());
    EXPECT_EQ(view.calls, std::vector<int>{-1});

    // The clipboard keeps its data: a second paste appends again.
    EXPECT_TRUE(target.PasteFromClipboard());
    EXPECT_EQ(target.GetCount(), 7);
    // Nothing is left on the RAM disk.
    EXPECT_FALSE(StreamIO::GetRamDisk()->HasFile(u"ClipRamStream"));
}

TEST_F(ClipboardTest, ClipboardBytesAreLengthAndASelectionStream)
{
    CPaperDoc doc;
    Fill(doc, "S-5", "R", {1, 2, 3});
    ASSERT_TRUE(doc.CopyToClipboard(Select(doc, {2})));
    const std::vector<uint8_t> bytes = Raw();
    ASSERT_GT(bytes.size(), 100u);
    const uint32_t length = SeriesBytes::Get32(bytes.data());
    EXPECT_EQ(length, bytes.size() - 4);
    // Header text (marker, count, 28 UTF-16 units), version, format 3.
    const uint8_t* p = bytes.data() + 4;
    EXPECT_EQ(p[0], 0xFE);
    EXPECT_EQ(SeriesBytes::Get16(p + 1), 28);
    EXPECT_EQ(SeriesBytes::Get16(p + 59 + 8), 3);
    // Items 4 and 5 empty, item 6 a full block, item 7 one series of two
    // impacts.
    EXPECT_EQ(SeriesBytes::Get32(p + 69), 0u);
    EXPECT_EQ(SeriesBytes::Get32(p + 73), 0u);
    EXPECT_EQ(SeriesBytes::Get32(p + 77), 128u);
    EXPECT_EQ(SeriesBytes::Get32(p + 81 + 128), 29u + 2 * 4);
    EXPECT_EQ(SeriesBytes::Get16(p + 85 + 128 + 16), 3);   // the counter of series 3
}

TEST_F(ClipboardTest, PasteResortsWithThePresentSortMode)
{
    CPaperDoc source;
    Fill(source, "S", "X", {5, 25, 15});
    ASSERT_TRUE(source.CopyToClipboard(Select(source, {0, 1, 2})));

    CPaperDoc target;
    Fill(target, "S", "Y", {30, 10, 20});
    target.Sort(CPaperData::sortCounter);
    ASSERT_TRUE(target.PasteFromClipboard());
    std::vector<int> counters;
    for (int i = 0; i < target.GetCount(); ++i)
        counters.push_back(target.GetCounter(i));
    EXPECT_EQ(counters, (std::vector<int>{5, 10, 15, 20, 25, 30}));
    EXPECT_EQ(target.GetSortMode(), CPaperData::sortCounter);
}

TEST_F(ClipboardTest, AnEmptySelectionCopiesNoSeries)
{
    CPaperDoc source;
    Fill(source, "S-2", "Q", {7, 8});
    ASSERT_TRUE(source.CopyToClipboard(Select(source, {})));
    CPaperDoc empty;
    EXPECT_TRUE(empty.PasteFromClipboard());
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(empty.GetOriginal().GetCount(), 0);
}

TEST_F(ClipboardTest, CanPasteFollowsTheFormatAndItsLength)
{
    CPaperDoc doc;
    EXPECT_FALSE(doc.CanPaste());
    PutRaw({0, 0, 0, 0, 1, 2, 3});
    EXPECT_FALSE(doc.CanPaste());   // length 0: the paste command is disabled
    EXPECT_FALSE(doc.PasteFromClipboard());
    PutRaw({9, 0, 0, 0, 1});
    EXPECT_TRUE(doc.CanPaste());    // the length alone decides; paste refuses it
}

TEST_F(ClipboardTest, CopyRefusesAShortSelectionAndKeepsTheClipboard)
{
    CPaperDoc doc;
    Fill(doc, "S", "R", {1, 2, 3});
    PutRaw({1, 2, 3, 4});
    EXPECT_FALSE(doc.CopyToClipboard({1, 1}));
    EXPECT_EQ(Raw(), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(ClipboardTest, ABusyRamFileFailsTheCopyAndThePasteCleanly)
{
    CPaperDoc source;
    Fill(source, "S", "R", {1, 2});
    ASSERT_TRUE(source.CopyToClipboard(Select(source, {0})));
    const std::vector<uint8_t> good = Raw();

    // Someone holds the RAM file without sharing it.
    StreamIO::CRamStream holder(ClipboardData::kRamStreamName, StreamIO::SF_READ | StreamIO::SF_WRITE |
                                                                   StreamIO::SF_CREATE_ALWAYS);
    EXPECT_FALSE(source.CopyToClipboard(Select(source, {1})));
    EXPECT_EQ(Raw(), good);

    CPaperDoc target;
    FakeUi ui;
    target.SetUi(&ui);
    Fill(target, "T", "T", {5});
    EXPECT_FALSE(target.PasteFromClipboard());
    EXPECT_EQ(target.GetCount(), 1);
    EXPECT_FALSE(target.HasChangeMark());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageError);
    EXPECT_EQ(ui.messages[0].second, Platform::LoadString(ClipboardStrings::kPasteFailed));

    holder.Close();
    EXPECT_TRUE(target.PasteFromClipboard());
    EXPECT_EQ(target.GetCount(), 2);
}
