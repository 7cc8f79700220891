// SPDX-License-Identifier: GPL-3.0-or-later
// The collector's sink on a real SQLite archive: one import per download,
// nothing twice, and the archive's message when it cannot take them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "archive/ArchiveError.h"
#include "archive/ArchiveLocation.h"
#include "collect/ArchiveSink.h"
#include "data/PaperData.h"
#include "platform/Text.h"
#include "sim/SeriesGenerator.h"
#include "sim/SimContent.h"
#include "support/TestEnv.h"

namespace {

void Fill(CPaperData& data, size_t count, uint32_t seed)
{
    const std::vector<uint8_t> bytes = Sim::BuildSeriesBytes(Sim::GenerateSeries(count, seed));
    ASSERT_TRUE(data.ParseSeries(bytes.data(), bytes.size(), false, false, false));
}

std::unique_ptr<Collect::CArchiveSink> OpenSink(const std::string& path)
{
    return std::make_unique<Collect::CArchiveSink>(Archive::CLabArchive::Open(
        Archive::ParseArchiveLocation(Platform::FromUtf8(path)), Archive::CLabArchive::EMode::Write));
}

} // namespace

TEST(ArchiveSink, WorkersAtOnceStoreEachMeasurementOnce)
{
    const std::string path = TestEnv::TempDir() + "/sink.sqlite";
    std::filesystem::remove(path);
    auto sink = OpenSink(path);
    // Four workers hand in overlapping downloads at the same time.
    std::vector<std::thread> workers;
    std::vector<Collect::SStoreCounts> counts(4);
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([&, w] {
            CPaperData original, current;
            Fill(original, 6, w < 2 ? 1 : 2);
            Fill(current, 6, w < 2 ? 1 : 2);
            counts[static_cast<size_t>(w)] = sink->Store(original, current, "COM" + std::to_string(w + 1));
        });
    }
    for (auto& t : workers)
        t.join();
    int added = 0, unchanged = 0;
    for (const auto& c : counts) {
        added += c.added;
        unchanged += c.unchanged;
    }
    EXPECT_EQ(added, 12);
    EXPECT_EQ(unchanged, 12);
    const auto found = sink->Archive().Find(Archive::SFindFilter{}, false);
    EXPECT_EQ(found.size(), 12u);
    for (const auto& r : found)
        EXPECT_EQ(r.revisions, 1);
}

TEST(ArchiveSink, AnArchiveThatIsNoDatabaseIsRefusedUnchanged)
{
    const std::string path = TestEnv::TempDir() + "/not-a-database.sqlite";
    std::ofstream(path) << "not SQLite at all, but a lab's notes";
    EXPECT_THROW(OpenSink(path), Archive::CArchiveError);
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "not SQLite at all, but a lab's notes");
}
