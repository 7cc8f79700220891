// SPDX-License-Identifier: GPL-3.0-or-later
// Pasting clipboard data that did not come from a sound copy: wrong
// lengths, truncated and damaged streams, random bytes.  A paste is all or
// nothing: refused data changes nothing and is reported once.
#include <gtest/gtest.h>

#include <random>

#include "ClipboardTestSupport.h"
#include "DocTestSupport.h"
#include "data/ClipboardStrings.h"
#include "platform/StringTable.h"
#include "streamio/ram/RamDisk.h"

using namespace DataTest;

namespace {

class HostilePaste : public ClipboardTest {
protected:
    void SetUp() override
    {
        ClipboardTest::SetUp();
        target.SetUi(&ui);
        Fill(target, "T-1", "T", {1, 2, 3});
        target.GetOriginal().SetComment(0, u"original");
        before = Snapshot(target);
    }

    // A valid copy of two series from another document.
    std::vector<uint8_t> GoodClip()
    {
        CPaperDoc source;
        Fill(source, "S-8", "S", {40, 41, 42});
        source.SetComment(0, u"pasted");
        EXPECT_TRUE(source.CopyToClipboard(Select(source, {0, 2})));
        return Raw();
    }

    // Pastes `bytes`; true when the paste was taken.  A refused paste must
    // leave the document as it was and say so once.
    bool Paste(const std::vector<uint8_t>& bytes)
    {
        PutRaw(bytes);
        ui.messages.clear();
        const bool taken = target.PasteFromClipboard();
        if (!taken) {
            EXPECT_EQ(Snapshot(target), before);
            EXPECT_FALSE(target.HasChangeMark());
            // Only a length of 0 (nothing to paste) is refused silently.
            const bool nothing = ClipboardData::Unpack(bytes).status == ClipboardData::SPayload::empty;
            EXPECT_EQ(ui.messages.size(), nothing ? 0u : 1u);
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        EXPECT_EQ(target.GetOriginal().GetCount(), 3);
        EXPECT_EQ(target.GetOriginal().GetComment(0), u"original");
        EXPECT_FALSE(StreamIO::GetRamDisk()->HasFile(u"ClipRamStream"));
        return taken;
    }

    // The stream of clipboard bytes with the length number set to fit.
    static std::vector<uint8_t> WithLength(std::vector<uint8_t> stream)
    {
        return ClipboardData::Pack(stream.data(), stream.size());
    }

    CPaperDoc target;
    FakeUi ui;
    std::vector<std::string> before;
};

std::vector<uint8_t> StreamOf(const std::vector<uint8_t>& clip)
{
    return std::vector<uint8_t>(clip.begin() + 4, clip.end());
}

} // namespace

TEST_F(HostilePaste, ALengthBeyondTheDataIsRefusedWithBothNumbers)
{
    std::vector<uint8_t> clip = GoodClip();
    const uint32_t real = static_cast<uint32_t>(clip.size() - 4);
    SeriesBytes::Put32(clip.data(), real + 1);
    EXPECT_FALSE(Paste(clip));
    const std::u16string expected = Platform::FormatU(
        Platform::LoadString(ClipboardStrings::kLengthTooLarge).c_str(), real + 1, real);
    EXPECT_EQ(ui.messages.at(0).second, expected);
    EXPECT_EQ(ui.messages.at(0).first, IDocumentUi::messageError);

    SeriesBytes::Put32(clip.data(), 0xFFFFFFFFu);
    EXPECT_FALSE(Paste(clip));
    EXPECT_FALSE(Paste({0x10, 0, 0}));   // not even a length number
    EXPECT_EQ(ui.messages.at(0).second, Platform::LoadString(ClipboardStrings::kDamaged));

    // Extra bytes after the announced stream are ignored.
    std::vector<uint8_t> padded = GoodClip();
    padded.resize(padded.size() + 64, 0xCC);
    EXPECT_TRUE(Paste(padded));
    EXPECT_EQ(target.GetCount(), 5);
}

TEST_F(HostilePaste, EveryTruncationBeforeTheReservedWordsIsRefused)
{
    const std::vector<uint8_t> stream = StreamOf(GoodClip());
    const size_t reserved = 20 * 4;   // never read, so cutting them is harmless
    size_t refused = 0;
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        const std::vector<uint8_t> part(stream.begin(), stream.begin() + static_cast<long>(cut));
        if (!Paste(WithLength(part))) {
            ++refused;   // cut 0 (length 0) is refused without a message
            continue;
        }
        ASSERT_EQ(target.GetCount(), 5);
        EXPECT_EQ(target.GetComment(3), u"pasted");
        break;
    }
    EXPECT_EQ(refused, stream.size() - reserved);
}

TEST_F(HostilePaste, SeriesBlocksThatDoNotParseAreRefused)
{
    // A hand-made stream whose current series block ends inside a series:
    // the header, texts and lists are sound, the series are not.
    std::vector<Series> list(2);
    list[0].id = "P1";
    list[0].values = {50, 51, 52};
    list[1].id = "P2";
    list[1].values = {60, 61, 62};
    std::vector<uint8_t> records = StoredRecords(list);
    for (size_t drop : {size_t{1}, size_t{30}}) {   // in the impacts, in the head
        SCOPED_TRACE(drop);
        const std::vector<uint8_t> cutRecords(records.begin(), records.end() - static_cast<long>(drop));
        Bytes b;
        b.Text(u"Vantor Brelmora project file").U16(1).U16(8).U16(1).U16(0).U16(3);
        b.U32(0).U32(0).Block(InfoBlock("H-1")).Block(cutRecords);
        b.TextList({u"c1", u"c2"}).TextList({u"P1", u"P2"});
        for (int k = 0; k < 5; ++k)
            b.TextList({}).TextList({u"x", u"y"});
        b.U32(2).U16(0).U16(0).U32(0).U32(2).U8(1).U8(1);
        for (int k = 0; k < 20; ++k)
            b.U32(0);
        EXPECT_FALSE(Paste(WithLength(b.data)));
        EXPECT_EQ(ui.messages.at(0).second, Platform::LoadString(ClipboardStrings::kDamaged));
    }
}

TEST_F(HostilePaste, RandomBytesAndDamagedCopiesNeverHalfPaste)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> junk(random() % 600);
        for (uint8_t& b : junk)
            b = static_cast<uint8_t>(random());
        EXPECT_FALSE(Paste(WithLength(junk)));
    }
    // A few bytes of a sound stream changed: each paste is taken whole (two
    // series more) or refused without a trace.
    const std::vector<uint8_t> stream = StreamOf(GoodClip());
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bad = stream;
        for (int k = 0, flips = 1 + static_cast<int>(random() % 4); k < flips; ++k)
            bad[random() % bad.size()] = static_cast<uint8_t>(random());
        if (Paste(WithLength(bad))) {
            ASSERT_EQ(target.GetCount(), 5);
            while (target.GetCount() > 3)
                target.DeleteSeries(target.GetCount() - 1);
            target.TakeChangeMark();
            before = Snapshot(target);
        }
    }
}
