// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged and hostile project files end in a clean failure or a clean
// partial open, never in a crash, a hang or a huge allocation.
#include <gtest/gtest.h>

#include <random>

#include "DocTestSupport.h"
#include "SeriesBytesBuilder.h"
#include "data/PaperDoc.h"

using namespace DataTest;

namespace {

std::vector<uint8_t> SmallProject()
{
    CPaperDoc doc;
    const auto info = InfoBlock("S-5");
    doc.StoreDownloadedInfo(info.data(), info.size());
    Series a;
    a.id = "A";
    a.values = {10, 20, 30};
    Series b;
    b.id = "B";
    b.values = {40};
    const auto bytes = InstrumentRecords({a, b});
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
    doc.SetComment(0, u"c");
    // Assigned as a string object: assigning the literal trips a false
    // -Wrestrict of GCC 12's inlined string copy.
    doc.GetSummary().AddRecord().comment = std::u16string(u"s");
    const std::string path = TempPath("small.vnr");
    EXPECT_TRUE(doc.WriteProject(Platform::FromUtf8(path)));
    return ReadFile(path);
}

// Opens the bytes as a project; the document must stay consistent.
bool OpenBytes(const std::vector<uint8_t>& bytes, size_t size, FakeUi& ui, CPaperDoc& doc)
{
    const std::string path = TempPath("damaged.vnr");
    WriteFile(path, bytes, size);
    doc.SetUi(&ui);
    const bool ok = doc.OpenProject(Platform::FromUtf8(path));
    for (const CPaperData* data : {&doc.GetCurrent(), &doc.GetOriginal()}) {
        for (int i = 0; i < data->GetCount(); ++i) {
            EXPECT_LE(data->GetImpactCount(i), 255);
            data->ComputeStatistics(i);
            data->GetSerial(i);
        }
    }
    return ok;
}

} // namespace

TEST(ProjectDamage, TruncatedAtEveryOffset)
{
    const std::vector<uint8_t> full = SmallProject();
    const size_t reserved = 80;   // item 23 is not read
    for (size_t size = 0; size < full.size(); ++size) {
        SCOPED_TRACE(size);
        CPaperDoc doc;
        FakeUi ui;
        const bool ok = OpenBytes(full, size, ui, doc);
        if (size < full.size() - reserved) {
            EXPECT_FALSE(ok);
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageError);
            EXPECT_TRUE(doc.GetPath().empty());
        } else {
            EXPECT_TRUE(ok);
            EXPECT_EQ(doc.GetCount(), 2);
        }
        EXPECT_LE(doc.GetCount(), 2);
        EXPECT_LE(doc.GetOriginal().GetCount(), 2);
    }
}

TEST(ProjectDamage, RandomByteChanges)
{
    const std::vector<uint8_t> full = SmallProject();
    std::mt19937 random(20240611);
    int opened = 0;
    for (int round = 0; round < 1500; ++round) {
        std::vector<uint8_t> bytes = full;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int c = 0; c < changes; ++c) {
            const size_t at = random() % bytes.size();
            // Mostly small changes to lengths and counts, sometimes any byte.
            bytes[at] = random() % 2 != 0 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(bytes[at] ^ 0x80);
        }
        CPaperDoc doc;
        FakeUi ui;
        if (OpenBytes(bytes, bytes.size(), ui, doc))
            ++opened;
        else
            EXPECT_EQ(ui.messages.size(), 1u);
    }
    EXPECT_GT(opened, 0);
}

TEST(ProjectDamage, HostileLengthsAndCountsAreRejectedWithoutAllocating)
{
    // Header, then each length or count in turn set to 0xFFFFFFFF.
    Bytes head;
    head.Text(u"Vantor Brelmora project file").U16(1).U16(8).U16(1).U16(0).U16(3);
    const auto info = InfoBlock("S");
    for (int item = 0; item < 6; ++item) {
        SCOPED_TRACE(item);
        Bytes b = head;
        if (item == 0) {
            b.U32(0xFFFFFFFFu);
        } else {
            b.Block(info).U32(0).Block(info).U32(0);
            for (int k = 1; k < item; ++k)
                b.U32(0);
            b.U32(0xFFFFFFFFu);
            for (int k = 0; k < 40; ++k)
                b.U8(0xFE).U16(0xFFFF);   // texts claiming 65535 characters
        }
        CPaperDoc doc;
        FakeUi ui;
        EXPECT_FALSE(OpenBytes(b.data, b.data.size(), ui, doc));
    }

    // A text that claims more characters than the file holds.
    Bytes t;
    t.U8(0xFE).U16(0xFFFF).U16('V');
    CPaperDoc doc;
    FakeUi ui;
    EXPECT_FALSE(OpenBytes(t.data, t.data.size(), ui, doc));
}
