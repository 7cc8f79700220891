// SPDX-License-Identifier: GPL-3.0-or-later
// The same behaviour against both back ends: a SQLite file and a database
// on the test program's own PostgreSQL server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveLocation.h"
#include "archive/LabArchive.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

using namespace ArchiveTest;
using Archive::CLabArchive;
using Archive::EBackend;

class ArchiveBackends : public ::testing::TestWithParam<EBackend> {
protected:
    void SetUp() override
    {
        static int n = 0;
        if (GetParam() == EBackend::Sqlite) {
            m_location = Archive::ParseArchiveLocation(
                Platform::FromUtf8(TestEnv::TempDir() + "/backend-" + std::to_string(++n) + ".sqlite"));
            return;
        }
        std::string url;
        NewPostgresDatabase(url);
        if (!url.empty())
            m_location = Archive::ParseArchiveLocation(Platform::FromUtf8(url));
    }

    std::unique_ptr<CLabArchive> Open(CLabArchive::EMode mode = CLabArchive::EMode::Write)
    {
        return CLabArchive::Open(m_location, mode);
    }

    static Archive::SImportSource Source() { return Archive::DownloadSource(u"COM3:"); }

    Archive::SArchiveLocation m_location;
};

std::vector<SSeriesPlan> ThreeSeries()
{
    SSeriesPlan a{"ROLL-1", 10, 800000000, {80, 84, 88}, 70, 90};   // mean 42, sd 2
    SSeriesPlan b{"roll-2", 11, 800000600, {60, 100}, 70, 90};       // both outside
    SSeriesPlan c{"Other", 12, 800001200, {90}, 0, 200};
    return {a, b, c};
}

TEST_P(ArchiveBackends, ImportingAgainAddsNothingAndAnEditAddsARevision)
{
    auto archive = Open();
    CPaperDoc doc;
    FillDocument(doc, "VT-20417", ThreeSeries());
    Archive::SImportCounts n = archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source());
    EXPECT_EQ(n.added, 3);
    EXPECT_EQ(n.revised + n.unchanged, 0);
    n = archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source());
    EXPECT_EQ(n.unchanged, 3);
    EXPECT_EQ(n.added + n.revised, 0);

    // Someone corrects a roll ID (and the list is sorted differently): one
    // revision more, the original stays.
    doc.GetCurrent().SetRollId(1, u"ROLL-2-FIXED");
    doc.GetCurrent().Sort(CPaperData::sortRollId);
    n = archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source());
    EXPECT_EQ(n.revised, 1);
    EXPECT_EQ(n.unchanged, 2);
    EXPECT_EQ(n.added, 0);

    Archive::SFindFilter old;
    old.rollPattern = u"roll-2";
    EXPECT_TRUE(archive->Find(old, false).empty()) << "find shows the newest state only";
    Archive::SFindFilter fixed;
    fixed.rollPattern = u"roll-2-fixed";
    const auto found = archive->Find(fixed, false);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].revision, 2);
    EXPECT_EQ(found[0].revisions, 2);
    EXPECT_EQ(found[0].source, u"download from COM3:");
    EXPECT_EQ(found[0].archivedAt.size(), 20u);
    EXPECT_EQ(found[0].archivedAt.back(), 'Z');

    const auto history = archive->History(found[0].measurementId);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].rollId, u"roll-2");
    EXPECT_TRUE(history[0].original);
    EXPECT_EQ(history[1].rollId, u"ROLL-2-FIXED");
    EXPECT_FALSE(history[1].original);
    EXPECT_EQ(history[1].seriesBytes.substr(16), history[0].seriesBytes.substr(16))
        << "impacts, counter and time are the same bytes";

    // Going back to the first state is no new revision: it is held already.
    doc.GetCurrent().CopyFrom(doc.GetOriginal());
    n = archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source());
    EXPECT_EQ(n.unchanged, 3);
    const Archive::SCheckReport report = archive->Check();
    EXPECT_TRUE(report.problems.empty()) << Platform::ToUtf8(report.problems.front());
    EXPECT_EQ(report.measurements, 3);
    EXPECT_EQ(report.revisions, 4);
}

TEST_P(ArchiveBackends, StoredStatisticsFilterAndSummarise)
{
    auto archive = Open();
    CPaperDoc doc;
    FillDocument(doc, "VT-20417", ThreeSeries());
    archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source());

    const auto all = archive->Find({}, false);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].rollId, u"ROLL-1");   // by time
    ASSERT_TRUE(all[0].mean && all[0].standardDeviation && all[0].covPercent);
    EXPECT_DOUBLE_EQ(*all[0].mean, 42.0);
    EXPECT_NEAR(*all[0].standardDeviation, 2.0, 1e-6);
    EXPECT_NEAR(*all[0].covPercent, 2.0 / 42.0 * 100.0, 1e-4);
    EXPECT_EQ(all[1].outsideLimits, 2);
    EXPECT_FALSE(all[2].standardDeviation) << "one impact has no spread";
    EXPECT_FALSE(all[2].covPercent);
    EXPECT_EQ(all[2].outsideLimits, 0) << "no limits, nothing outside";

    Archive::SFindFilter f;
    f.outsideLimitsOnly = true;
    EXPECT_EQ(archive->Find(f, false).size(), 1u);
    f = {};
    f.covAbove = 6.0;   // roll-2: 30 and 50, sd 14.14 of mean 40
    ASSERT_EQ(archive->Find(f, false).size(), 1u);
    EXPECT_EQ(archive->Find(f, false)[0].rollId, u"roll-2");
    f = {};
    f.from = 800000600;
    f.to = 800000600;
    EXPECT_EQ(archive->Find(f, false).size(), 1u) << "both ends inclusive";
    f = {};
    f.serial = u"VT-20417";
    f.limit = 2;
    EXPECT_EQ(archive->Find(f, false).size(), 2u);
    f.serial = u"VT-2041";
    EXPECT_TRUE(archive->Find(f, false).empty()) << "the serial is exact";

    const auto stats = archive->Stats({});
    ASSERT_EQ(stats.size(), 1u);
    EXPECT_EQ(stats[0].unit, "R");
    EXPECT_EQ(stats[0].count, 3);
    ASSERT_TRUE(stats[0].mean && stats[0].standardDeviation);
    EXPECT_NEAR(*stats[0].mean, (42.0 + 40.0 + 45.0) / 3, 1e-9);
    EXPECT_NEAR(*stats[0].standardDeviation, 2.516611478, 1e-6);
    EXPECT_EQ(stats[0].seriesOutsideLimits, 1);
    EXPECT_EQ(stats[0].impactsOutsideLimits, 2);
    EXPECT_EQ(stats[0].covAtLeast6, 1);
}

TEST_P(ArchiveBackends, HostileRollIdsAreStoredAndFoundAsText)
{
    auto archive = Open();
    CPaperDoc doc;
    const std::string hostile = "x'); DROP TABLE series;--";
    std::vector<SSeriesPlan> plans = {{hostile, 1}, {"AB_1", 2}, {"ABx1", 3}, {"50%\\", 4}, {"\xc3\x84RGER", 5}};
    FillDocument(doc, "VT'; --", plans);
    EXPECT_EQ(archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source()).added, 5);

    const auto roll = [&](const std::u16string& pattern) {
        Archive::SFindFilter f;
        f.rollPattern = pattern;
        std::vector<std::string> ids;
        for (const auto& r : archive->Find(f, false))
            ids.push_back(Platform::ToUtf8(r.rollId));
        return ids;
    };
    EXPECT_EQ(roll(Platform::FromUtf8(hostile)), std::vector<std::string>{hostile});
    EXPECT_EQ(roll(u"X'); drop*"), std::vector<std::string>{hostile});
    // SQL's own wildcards are plain characters in a pattern.
    EXPECT_EQ(roll(u"ab_1"), std::vector<std::string>{"AB_1"});
    EXPECT_EQ(roll(u"ab?1"), (std::vector<std::string>{"AB_1", "ABx1"}));
    EXPECT_EQ(roll(u"50%\\"), std::vector<std::string>{"50%\\"});
    EXPECT_EQ(roll(u"5*"), std::vector<std::string>{"50%\\"});
    EXPECT_EQ(roll(u"\u00e4rger"), std::vector<std::string>{"\xc3\x84RGER"});
    EXPECT_TRUE(roll(u"%").empty());
    Archive::SFindFilter serial;
    serial.serial = u"VT'; --";
    EXPECT_EQ(archive->Find(serial, false).size(), 5u);
}

TEST_P(ArchiveBackends, ASeriesOnlyInTheCurrentCollectionIsAMeasurementOfItsOwn)
{
    auto archive = Open();
    CPaperDoc doc;
    FillDocument(doc, "VT-1", {{"A", 1}});
    AddSeries(doc.GetCurrent(), {"PASTED", 99, 800009999, {50, 52}});
    doc.GetCurrent().ApplyInfoBlockTexts();
    const Archive::SImportCounts n = archive->Import(doc.GetOriginal(), doc.GetCurrent(), Source());
    EXPECT_EQ(n.added, 2);
    const auto found = archive->Find({}, true);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].rollId, u"PASTED");
    EXPECT_FALSE(found[1].original);
    EXPECT_EQ(found[1].deviceTexts[0], u"VT-1");
    EXPECT_EQ(found[1].infoBlock.size(), 128u);
}

TEST_P(ArchiveBackends, ANewerSchemaIsRefusedAndLeftAlone)
{
    Open()->Import(CPaperData(), CPaperData(), Source());
    {
        // A later program's migration.
        if (GetParam() == EBackend::Sqlite) {
            const std::string cmd = "sqlite3 '" + m_location.path + "' \"INSERT INTO archive_schema VALUES (7, 'x')\"";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
        } else {
            const std::string cmd = "psql -q '" + m_location.conninfo +
                                    "' -c \"INSERT INTO archive_schema VALUES (7, 'x')\" >/dev/null";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
        }
    }
    const std::string before = m_location.path.empty() ? std::string() : ReadFile(m_location.path);
    for (const auto mode : {CLabArchive::EMode::Write, CLabArchive::EMode::Read}) {
        try {
            Open(mode);
            ADD_FAILURE() << "opened a newer schema";
        } catch (const Archive::CArchiveError& e) {
            EXPECT_NE(e.Text().find(u"schema 7"), std::u16string::npos) << e.what();
        }
    }
    EXPECT_EQ(CountRows(m_location, "archive_schema"), 2);
    if (!m_location.path.empty()) {
        EXPECT_EQ(ReadFile(m_location.path), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, ArchiveBackends, ::testing::Values(EBackend::Sqlite, EBackend::Postgres),
                         [](const auto& info) { return info.param == EBackend::Sqlite ? "Sqlite" : "Postgres"; });

} // namespace
