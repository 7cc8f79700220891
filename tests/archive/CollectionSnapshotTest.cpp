// SPDX-License-Identifier: GPL-3.0-or-later
// A document's collections taken as plain values and turned back on
// another thread archive exactly as the document itself would: importing
// the restored collections after the originals adds and revises nothing.
#include <gtest/gtest.h>

#include <thread>

#include "ArchiveTestSupport.h"
#include "archive/CollectionSnapshot.h"
#include "archive/LabArchive.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

using namespace ArchiveTest;

TEST(CollectionSnapshot, RestoredCollectionsArchiveAsTheDocument)
{
    CPaperDoc doc;
    FillDocument(doc, "VT-5", {{"A-1", 1, 800000000, {80, 84}}, {"B-2", 2, 800000060, {90, 91, 95}}, {"C", 3, 800000120}});
    doc.GetCurrent().SetComment(1, u"edited: grün");
    doc.GetCurrent().SetRollId(2, u"C-renamed");
    const Archive::SCollectionSnapshot original = Archive::TakeSnapshot(doc.GetOriginal());
    const Archive::SCollectionSnapshot current = Archive::TakeSnapshot(doc.GetCurrent());
    ASSERT_EQ(original.series.size(), 3u);

    const auto location =
        Archive::ParseArchiveLocation(Platform::FromUtf8(TestEnv::TempDir() + "/snapshot.sqlite"));
    Archive::SImportCounts fromSnapshot;
    std::thread worker([&] {
        CPaperData o, c;
        ASSERT_TRUE(Archive::RestoreSnapshot(original, o));
        ASSERT_TRUE(Archive::RestoreSnapshot(current, c));
        auto archive = Archive::CLabArchive::Open(location, Archive::CLabArchive::EMode::Write);
        fromSnapshot = archive->Import(o, c, Archive::DownloadSource(u"COM4:"));
    });
    worker.join();
    EXPECT_EQ(fromSnapshot.added, 3);
    auto archive = Archive::CLabArchive::Open(location, Archive::CLabArchive::EMode::Write);
    const Archive::SImportCounts again =
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM4:"));
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.revised, 0);
    EXPECT_EQ(again.unchanged, 3);
    const auto found = archive->Find({}, false);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[1].comment, u"edited: grün");
    EXPECT_EQ(found[2].rollId, u"C-renamed");
    EXPECT_EQ(found[0].serial, u"VT-5");

    // An empty collection gives an empty snapshot that restores to nothing.
    CPaperData empty, restored;
    EXPECT_TRUE(Archive::RestoreSnapshot(Archive::TakeSnapshot(empty), restored));
    EXPECT_EQ(restored.GetCount(), 0);
}

} // namespace
