// SPDX-License-Identifier: GPL-3.0-or-later
// Pages of the found series in every column's order, on both back ends:
// pages join up without gaps or repeats, series without impacts sort
// as the smallest whichever the back end, and the filters apply as in Find.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveLocation.h"
#include "archive/ArchivePage.h"
#include "archive/LabArchive.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

using namespace ArchiveTest;
using Archive::CLabArchive;
using Archive::EBackend;
using Archive::EFindColumn;

class ArchivePages : public ::testing::TestWithParam<EBackend> {
protected:
    void SetUp() override
    {
        static int n = 0;
        if (GetParam() == EBackend::Sqlite) {
            m_location = Archive::ParseArchiveLocation(
                Platform::FromUtf8(TestEnv::TempDir() + "/pages-" + std::to_string(++n) + ".sqlite"));
        } else {
            std::string url;
            NewPostgresDatabase(url);
            if (url.empty())
                return;
            m_location = Archive::ParseArchiveLocation(Platform::FromUtf8(url));
        }
        m_archive = CLabArchive::Open(m_location, CLabArchive::EMode::Write);
        CPaperDoc doc;
        std::vector<SSeriesPlan> plans;
        // 25 series; equal means in pairs (ties), and one without impacts.
        for (int i = 0; i < 25; ++i) {
            SSeriesPlan s{"P-" + std::to_string(i), static_cast<uint16_t>(i + 1), 800000000u + (i * 7 % 25) * 60u,
                          {static_cast<uint8_t>(80 + i / 2 * 2), 84}};
            if (i == 13)
                s.values.clear();
            plans.push_back(s);
        }
        FillDocument(doc, "VT-9", plans);
        m_archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM2:"));
    }

    std::vector<Archive::SArchivedRevision> All(EFindColumn column, bool descending, int64_t pageSize,
                                                const Archive::SFindFilter& filter = {}, int64_t widePatternRows = 10000)
    {
        std::vector<Archive::SArchivedRevision> all;
        m_archive->SetWidePatternRows(widePatternRows);
        for (int64_t offset = 0;; offset += pageSize) {
            const auto page = m_archive->FindPage(filter, {column, descending, offset, pageSize});
            all.insert(all.end(), page.begin(), page.end());
            if (static_cast<int64_t>(page.size()) < pageSize)
                return all;
        }
    }

    Archive::SArchiveLocation m_location;
    std::unique_ptr<CLabArchive> m_archive;
};

TEST_P(ArchivePages, PagesJoinUpInEveryOrder)
{
    for (int c = 0; c <= static_cast<int>(EFindColumn::Revisions); ++c) {
        for (bool descending : {false, true}) {
            const auto all = All(static_cast<EFindColumn>(c), descending, 4);
            ASSERT_EQ(all.size(), 25u) << "column " << c;
            std::set<int64_t> ids;
            for (const auto& r : all)
                ids.insert(r.measurementId);
            EXPECT_EQ(ids.size(), 25u) << "column " << c << (descending ? " descending" : "");
        }
    }
    // The time order is Find's.
    const auto byTime = All(EFindColumn::Time, false, 7);
    const auto found = m_archive->Find({}, false);
    for (size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(byTime[i].measurementId, found[i].measurementId);
}

TEST_P(ArchivePages, SeriesWithoutValuesSortAsTheSmallest)
{
    const auto up = All(EFindColumn::Mean, false, 10);
    ASSERT_FALSE(up.front().mean);
    EXPECT_EQ(up.front().rollId, u"P-13");
    for (size_t i = 2; i < up.size(); ++i)
        EXPECT_LE(*up[i - 1].mean, *up[i].mean);
    const auto down = All(EFindColumn::Mean, true, 10);
    EXPECT_FALSE(down.back().mean);
    for (size_t i = 1; i + 1 < down.size(); ++i)
        EXPECT_GE(*down[i - 1].mean, *down[i].mean);
    const auto rolls = All(EFindColumn::RollId, false, 30);
    EXPECT_EQ(rolls.front().rollId, u"P-0");
    EXPECT_EQ(rolls[1].rollId, u"P-1");
    EXPECT_EQ(rolls[2].rollId, u"P-10");
}

TEST_P(ArchivePages, FiltersApplyAsInFind)
{
    Archive::SFindFilter filter;
    filter.rollPattern = u"p-1?";
    const auto page = All(EFindColumn::Impacts, true, 3, filter);
    EXPECT_EQ(page.size(), m_archive->Find(filter, false).size());
    EXPECT_EQ(page.size(), 10u);
    EXPECT_EQ(page.back().rollId, u"P-13");   // no impacts: last when descending by impacts
    EXPECT_TRUE(m_archive->FindPage(filter, {EFindColumn::Time, false, 100, 10}).empty());
}

// A wide roll-ID pattern is read in the page's order with the pattern
// checked per row: the same rows, in the same order, as through the index,
// with and without a second filter, whatever the page size.
TEST_P(ArchivePages, WidePatternsFindTheSameRowsAsNarrowOnes)
{
    for (const char16_t* pattern : {u"p-1*", u"P-?", u"p-2?", u"*3"}) {
        for (bool withSerial : {false, true}) {
            Archive::SFindFilter filter;
            filter.rollPattern = pattern;
            if (withSerial)
                filter.serial = u"VT-9";
            for (EFindColumn column : {EFindColumn::Time, EFindColumn::Serial, EFindColumn::Mean}) {
                for (bool descending : {false, true}) {
                    const auto narrow = All(column, descending, 4, filter);
                    const auto wide = All(column, descending, 4, filter, 1);
                    ASSERT_EQ(wide.size(), narrow.size());
                    ASSERT_FALSE(narrow.empty());
                    for (size_t i = 0; i < narrow.size(); ++i)
                        EXPECT_EQ(wide[i].measurementId, narrow[i].measurementId);
                }
            }
        }
    }
    Archive::SFindFilter none;
    none.rollPattern = u"q*";
    EXPECT_TRUE(All(EFindColumn::Time, false, 4, none, 1).empty());
}

// A list with a limit decides like a page: read in time order for a wide
// pattern, it gives the rows the index gives.
TEST_P(ArchivePages, ALimitedListOfAWidePatternAsThroughTheIndex)
{
    Archive::SFindFilter filter;
    filter.rollPattern = u"p-1*";
    const auto all = m_archive->Find(filter, false);
    ASSERT_EQ(all.size(), 11u);
    filter.limit = 4;
    for (int64_t wide : {int64_t{1}, int64_t{10000}}) {
        m_archive->SetWidePatternRows(wide);
        const auto limited = m_archive->Find(filter, false);
        ASSERT_EQ(limited.size(), 4u);
        for (size_t i = 0; i < limited.size(); ++i)
            EXPECT_EQ(limited[i].measurementId, all[i].measurementId);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, ArchivePages, ::testing::Values(EBackend::Sqlite, EBackend::Postgres),
                         [](const auto& info) { return info.param == EBackend::Sqlite ? "Sqlite" : "Postgres"; });

} // namespace
