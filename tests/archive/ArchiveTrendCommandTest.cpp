// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive trend against a real SQLite archive: the CSV is the
// chart's numbers in chart order, the filters apply, and a missing archive
// ends with exit 9.
#include <gtest/gtest.h>

#include <sstream>

#include "ArchiveTestSupport.h"
#include "archive/LabArchive.h"
#include "archive/TrendChart.h"
#include "archive/TrendCsv.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

using namespace ArchiveTest;
using Archive::CLabArchive;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, ',');)
        fields.push_back(f);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

class ArchiveTrendCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_path = TestEnv::TempDir() + "/trend.sqlite";
        auto archive =
            CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(s_path)), CLabArchive::EMode::Write);
        CPaperDoc doc;
        std::vector<SSeriesPlan> plans;
        // Archived out of time order: the trend sorts by measurement time.
        for (int i = 11; i >= 0; --i)
            plans.push_back({(i < 6 ? "A-" : "B-") + std::to_string(i), static_cast<uint16_t>(i + 1),
                             800000000u + static_cast<uint32_t>(i) * 3600,
                             {static_cast<uint8_t>(80 + (i * 7) % 11), static_cast<uint8_t>(84 + i % 3), 90}});
        FillDocument(doc, "VT-7", plans);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
    }
    static std::string s_path;
};
std::string ArchiveTrendCommand::s_path;

TEST_F(ArchiveTrendCommand, CsvHoldsTheChartsNumbersInTimeOrder)
{
    const SRun run = RunCli({"archive", "trend", "--archive", s_path, "--csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], Archive::kTrendCsvHeader);
    std::string previous;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 12u) << lines[i];
        EXPECT_EQ(f[2], (i <= 6 ? "A-" : "B-") + std::to_string(i - 1));
        EXPECT_LT(previous, f[1]);   // ISO times sort as text
        previous = f[1];
        EXPECT_EQ(f[7].empty(), i == 1) << "moving range of row " << i;
        EXPECT_EQ(f[8], Fields(lines[1])[8]);   // one centre line for all
        EXPECT_EQ(f[3].find(','), std::string::npos);
        EXPECT_NE(f[3].find('.'), std::string::npos);
    }
    // The same numbers as the chart made from the archive in this process.
    auto archive = CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(s_path)), CLabArchive::EMode::Read);
    EXPECT_EQ(run.out, Archive::EncodeTrendCsv(Archive::MakeTrendChart(archive->Find({}, false))));
}

TEST_F(ArchiveTrendCommand, FiltersAndSummaryLine)
{
    const SRun run = RunCli({"archive", "trend", "--archive", s_path, "--roll", "b-*", "--csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 7u);
    const SRun text = RunCli({"archive", "trend", "--archive", s_path});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("12 series: centre line ", 0), 0u) << text.out;
    const SRun none = RunCli({"archive", "trend", "--archive", s_path, "--roll", "nothing", "--csv"});
    ASSERT_EQ(none.exitCode, 0);
    EXPECT_EQ(Lines(none.out), std::vector<std::string>{Archive::kTrendCsvHeader});
}

TEST_F(ArchiveTrendCommand, RefusesWhatItCannotDo)
{
    const SRun missing = RunCli({"archive", "trend", "--archive", TestEnv::TempDir() + "/none.sqlite", "--csv"});
    EXPECT_EQ(missing.exitCode, 9);
    EXPECT_NE(missing.err.find("none.sqlite"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());
    const SRun json = RunCli({"archive", "trend", "--archive", s_path, "--json"});
    EXPECT_NE(json.exitCode, 0);
    EXPECT_NE(json.err.find("--json"), std::string::npos) << json.err;
}

} // namespace
