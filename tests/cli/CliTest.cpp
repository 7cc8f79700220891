// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli as a user runs it: exit codes, messages, files written.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/TextExport.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "support/TestEnv.h"

namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

RunResult RunCli(const std::string& arguments)
{
    const std::string errFile = TestEnv::TempDir() + "/stderr.txt";
    const std::string cmd = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli " + arguments + " 2>" + errFile;
    RunResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr)
        return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    r.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return r;
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Sample()
{
    return std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";
}

std::string Temp(const char* name)
{
    return TestEnv::TempDir() + "/" + name;
}

} // namespace

TEST(Cli, WrongUsageExitsWithOne)
{
    EXPECT_EQ(RunCli("").exitCode, 1);
    EXPECT_EQ(RunCli("frobnicate").exitCode, 1);
    EXPECT_EQ(RunCli("info").exitCode, 1);
    EXPECT_EQ(RunCli("export " + Sample()).exitCode, 1);
    const RunResult bad = RunCli("export " + Sample() + " " + Temp("x.txt") + " --dtformat 12z");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("12z"), std::string::npos);
    EXPECT_EQ(RunCli("--help").exitCode, 0);
}

TEST(Cli, UnreadableProjectExitsWithTwoAndNamesTheFile)
{
    const std::string missing = Temp("missing.vnr");
    RunResult r = RunCli("info " + missing);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(missing), std::string::npos);
    EXPECT_NE(r.err.find("This is not a Brelmora project file"), std::string::npos);

    const std::string text = Temp("notes.vnr");
    std::ofstream(text) << "just some notes\n";
    EXPECT_EQ(RunCli("info --json " + text).exitCode, 2);
    EXPECT_EQ(RunCli("export " + text + " " + Temp("out.txt")).exitCode, 2);
    EXPECT_TRUE(Bytes(Temp("out.txt")).empty());
}

TEST(Cli, InfoJsonDescribesBothCollections)
{
    const RunResult r = RunCli("info --json " + Sample());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["format"], 3);
    EXPECT_EQ(j["writerVersion"].get<std::string>().size() >= 7, true);
    ASSERT_TRUE(j["current"]["series"].is_array());
    EXPECT_EQ(j["current"]["series"].size(), j["original"]["series"].size());
    EXPECT_EQ(j["current"]["info"].get<std::string>().size(), 256u);
    const auto& first = j["current"]["series"][0];
    for (const char* key : {"rollId", "counter", "dateTime", "rFlag", "factor", "lowerLimit", "upperLimit",
                            "comment", "serial", "graphOrder", "autoAxis", "inSummary", "impacts"})
        EXPECT_TRUE(first.contains(key)) << key;
    EXPECT_EQ(first["impacts"][0].size(), 3u);
    EXPECT_TRUE(j["summary"].is_array());
}

TEST(Cli, ExportWritesTheSeriesPageLikeTheDocumentDoes)
{
    StreamIO::Initialize();
    CPaperDoc doc;
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(Sample())));
    const std::vector<uint8_t> encoded =
        TextExport::Encode(SeriesPageText::ExportText(doc.GetCurrent(), true, 0x0302));
    const std::string expected(encoded.begin(), encoded.end());
    StreamIO::Shutdown();

    const std::string out = Temp("page.csv");
    const RunResult r = RunCli("export " + Sample() + " " + out + " --energy --dtformat 0x0302");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Bytes(out), expected);
}

TEST(Cli, ExportTakesTheDateFormatFromTheSettings)
{
    Platform::CRegKey key;
    ASSERT_EQ(key.Create(u"Software\\Vantor\\Brelmora\\Settings"), 0u);
    ASSERT_EQ(key.SetDword(u"DTFormat", 0x0302), 0u);
    const std::string a = Temp("a.txt");
    const std::string b = Temp("b.txt");
    ASSERT_EQ(RunCli("export " + Sample() + " " + a).exitCode, 0);
    ASSERT_EQ(RunCli("export " + Sample() + " " + b + " --dtformat 770").exitCode, 0);
    EXPECT_EQ(Bytes(a), Bytes(b));
    ASSERT_EQ(key.DeleteValue(u"DTFormat"), 0u);
}

TEST(Cli, OutputThatCannotBeWrittenExitsWithThree)
{
    const std::string out = Temp("no-such-folder/out.txt");
    const RunResult r = RunCli("export " + Sample() + " " + out);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find(out), std::string::npos);
}

TEST(Cli, VersionPrintsTheProgramsVersionRecord)
{
    const RunResult own = RunCli("version");
    ASSERT_EQ(own.exitCode, 0) << own.err;
    const std::string expected = std::to_string(BRELMORA_VERSION_MAJOR) + "." +
                                 std::to_string(BRELMORA_VERSION_MINOR) + "." +
                                 std::to_string(BRELMORA_VERSION_PATCH) + "." +
                                 std::to_string(BRELMORA_VERSION_TWEAK);
    EXPECT_NE(own.out.find("ProductVersion    " + expected), std::string::npos) << own.out;
    EXPECT_NE(own.out.find("ProductName       Brelmora"), std::string::npos);

    const RunResult none = RunCli("version " + Sample());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find(Sample()), std::string::npos);
}

TEST(Cli, SummaryExportWritesTheSummaryPage)
{
    const std::string out = Temp("summary.txt");
    const RunResult r = RunCli("export " + Sample() + " " + out + " --summary");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = Bytes(out);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    // UTF-16LE "Statistics of summary" appears in the statistics block.
    const std::u16string title = u"Statistics of summary";
    const std::string wide(reinterpret_cast<const char*>(title.data()), title.size() * 2);
    EXPECT_NE(bytes.find(wide), std::string::npos);
}

TEST(Cli, EmptySummaryExportIsJustTheByteOrderMark)
{
    StreamIO::Initialize();
    CPaperDoc doc;
    const std::string empty = Temp("empty.vnr");
    ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(empty)));
    StreamIO::Shutdown();
    const std::string out = Temp("empty-summary.txt");
    ASSERT_EQ(RunCli("export " + empty + " " + out + " --summary").exitCode, 0);
    EXPECT_EQ(Bytes(out), "\xFF\xFE");
}
