// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program run for real without a display: --print-pdf and
// --summary-picture write their file, or end with 1, 2, 3 or 5 and write
// nothing; --help prints the usage.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PdfText.h"
#include "ViewTestSupport.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "WindowlessRun.h"

namespace {

const std::string kSample = std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";

using WindowlessRun::Read;
using WindowlessRun::RunProgram;
using WindowlessRun::SRun;

class AppWindowlessOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        dir = TestEnv::TempDir() + "/windowless";
        std::filesystem::create_directories(dir);
    }

    // A project without series: nothing to print, an empty summary.  (An
    // opened project uses every series for its summary.)
    std::string EmptyProject()
    {
        CPaperDoc doc;
        const std::string path = dir + "/empty.vnr";
        EXPECT_TRUE(doc.WriteProject(Platform::FromUtf8(path)));
        return path;
    }

    std::string dir;
};

TEST_F(AppWindowlessOutput, PrintsTheTableAndTheSummaryIntoPdfFiles)
{
    const std::string table = dir + "/table.pdf";
    SRun run = RunProgram({"--print-pdf", table, kSample});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read(table).rfind("%PDF", 0), 0u);
    const std::string summary = dir + "/summary.pdf";
    run = RunProgram({"--print-pdf", summary, "--summary", "-energy", kSample});
    ASSERT_EQ(run.status, 0) << run.err;
    if (!PdfText::Available())
        GTEST_SKIP() << "pdftotext is missing";
    const QStringList tablePages = PdfText::Pages(table);
    ASSERT_GE(tablePages.size(), 1);
    EXPECT_TRUE(tablePages[0].contains(QStringLiteral("Veltrano measurement series")));
    EXPECT_TRUE(tablePages[0].contains(QStringLiteral("sample.vnr")));
    EXPECT_TRUE(tablePages.join(QString()).contains(QStringLiteral("WFC-31270")));
    const QStringList summaryPages = PdfText::Pages(summary);
    ASSERT_EQ(summaryPages.size(), 1);
    EXPECT_TRUE(summaryPages[0].contains(QStringLiteral("Statistics of summary")));
    EXPECT_TRUE(summaryPages[0].contains(QStringLiteral("Page 1 of 1")));
}

TEST_F(AppWindowlessOutput, WritesTheSummaryPictureAsSvgOrPng)
{
    const std::string svg = dir + "/summary.svg";
    SRun run = RunProgram({"--summary-picture", svg, kSample});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svgText = Read(svg);
    EXPECT_NE(svgText.find("<svg"), std::string::npos);
    EXPECT_NE(svgText.find("Summary of Series"), std::string::npos);
    const std::string png = dir + "/summary.PNG";
    run = RunProgram({"--summary-picture", png, kSample});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(AppWindowlessOutput, FailuresEndWithTheirStatusAndWriteNothing)
{
    const std::string target = dir + "/kept.pdf";
    std::ofstream(target) << "old";

    // 2: not a readable project, named on standard error.
    const std::string missing = dir + "/missing.vnr";
    SRun run = RunProgram({"--print-pdf", target, missing});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(missing + ": This is not a Brelmora project file"), std::string::npos) << run.err;
    const std::string garbage = dir + "/garbage.vnr";
    std::ofstream(garbage) << "not a project";
    EXPECT_EQ(RunProgram({"--summary-picture", dir + "/x.svg", garbage}).status, 2);

    // 3: the output cannot be written.
    run = RunProgram({"--print-pdf", dir + "/no-such-folder/out.pdf", kSample});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("no-such-folder/out.pdf"), std::string::npos) << run.err;

    // 5: nothing to print.
    const std::string empty = EmptyProject();
    run = RunProgram({"--print-pdf", target, empty});
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find(empty + ": Nothing to print: the project holds no measurement series."), std::string::npos)
        << run.err;
    run = RunProgram({"--print-pdf", target, "--summary", empty});
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find("no series are used for the summary"), std::string::npos) << run.err;
    EXPECT_EQ(RunProgram({"--summary-picture", dir + "/x.png", empty}).status, 5);

    // 1: wrong usage, and the project named as the output stays as it is.
    EXPECT_EQ(RunProgram({"--print-pdf", target}).status, 1);
    EXPECT_EQ(RunProgram({"--summary-picture", dir + "/x.gif", kSample}).status, 1);
    const std::string project = dir + "/own.vnr";
    std::filesystem::copy_file(kSample, project, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(RunProgram({"--print-pdf", project, project}).status, 1);
    EXPECT_EQ(Read(project), Read(kSample));

    EXPECT_EQ(Read(target), "old");
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.svg"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.png"));
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(AppWindowlessOutput, HelpListsTheOptions)
{
    const SRun run = RunProgram({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* text : {"--print-pdf OUT.pdf", "--summary", "--summary-picture", "-Energy", "Exit status",
                             "--demo", "--version", "PROJECT.vnr"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
}

TEST_F(AppWindowlessOutput, UnknownOptionIsRefusedAndVersionIsPrinted)
{
    // Never taken for a project file: a clear line, status 1, no window.
    SRun run = RunProgram({"-x"});
    EXPECT_EQ(run.status, 1);
    // (Qt may note its runtime folder before.)
    const auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(endsWith(run.err, "\nbrelmora: unknown option \"-x\". Try --help\n") || run.err == "brelmora: unknown option \"-x\". Try --help\n") << run.err;
    run = RunProgram({"--demo", "--frobnicate", kSample});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(endsWith(run.err, "brelmora: unknown option \"--frobnicate\". Try --help\n")) << run.err;

    run = RunProgram({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Brelmora 1.8.1.0\n");
}

} // namespace
