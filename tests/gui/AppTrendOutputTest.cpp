// SPDX-License-Identifier: GPL-3.0-or-later
// The trend outputs without a window, run for real on an archive made by
// the test: the picture is the one the window copies, the target is
// checked before the archive is read, and failures end with 1, 3, 5 or 9
// and leave the target alone.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>
#include <fstream>

#include "ViewTestSupport.h"
#include "app/TrendOutput.h"
#include "archive/LabArchive.h"
#include "archive/TrendChart.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "WindowlessRun.h"
#include "views/trend/TrendPicture.h"

namespace {

const std::string kSample = std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";

using WindowlessRun::Read;
using WindowlessRun::RunProgram;
using WindowlessRun::SRun;

std::vector<std::u16string> Args(const std::vector<std::string>& args)
{
    std::vector<std::u16string> out = {u"brelmora"};
    for (const std::string& a : args)
        out.push_back(Platform::FromUtf8(a));
    return out;
}

class AppTrendOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = TestEnv::TempDir() + "/trend-output";
        std::filesystem::create_directories(s_dir);
        s_archive = s_dir + "/archive.sqlite";
        CPaperDoc doc;
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(kSample)));
        auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(s_archive)),
                                                  Archive::CLabArchive::EMode::Write);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
    }
    void SetUp() override { ViewTest::EnsureApplication(); }

    static std::string s_dir, s_archive;
};
std::string AppTrendOutput::s_dir, AppTrendOutput::s_archive;

TEST_F(AppTrendOutput, ThePictureIsTheOneTheWindowMakes)
{
    const std::string png = s_dir + "/trend.png";
    const SRun run = RunProgram({"--trend-picture", png, "--archive", s_archive, "--sequence"});
    ASSERT_EQ(run.status, 0) << run.err;
    QImage written;
    ASSERT_TRUE(written.loadFromData(QByteArray::fromStdString(Read(png)), "PNG"));

    auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(s_archive)),
                                              Archive::CLabArchive::EMode::Read);
    const Archive::STrendChart chart = Archive::MakeTrendChart(archive->Find({}, false));
    ASSERT_EQ(chart.points.size(), 24u);
    STrendStyle style;
    style.font = QApplication::font();
    style.timeAxis = false;
    style.selected = 3;   // a selection on screen is not part of the picture
    const QImage here = TrendPicture::Image(chart, style);
    EXPECT_EQ(written.size(), here.size());
    EXPECT_TRUE(written.convertToFormat(QImage::Format_RGB32) == here.convertToFormat(QImage::Format_RGB32));

    const std::string svg = s_dir + "/trend.svg";
    ASSERT_EQ(RunProgram({"--trend-picture", svg, "--archive", s_archive, "--roll", "NP-*"}).status, 0);
    EXPECT_NE(Read(svg).find("<svg"), std::string::npos);
    const std::string pdf = s_dir + "/trend.pdf";
    ASSERT_EQ(RunProgram({"--trend-pdf", pdf, "--archive", s_archive}).status, 0);
    EXPECT_EQ(Read(pdf).rfind("%PDF", 0), 0u);
}

TEST_F(AppTrendOutput, FailuresWriteNothing)
{
    // The target is checked before the archive: a missing folder is 3 even
    // though the archive does not exist either.
    SRun run = RunProgram({"--trend-pdf", s_dir + "/no/such/folder/t.pdf", "--archive", s_dir + "/none.sqlite"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("t.pdf"), std::string::npos) << run.err;
    run = RunProgram({"--trend-pdf", s_dir, "--archive", s_archive});   // a folder
    EXPECT_EQ(run.status, 3);

    const std::string kept = s_dir + "/kept.png";
    { std::ofstream(kept) << "before"; }
    run = RunProgram({"--trend-picture", kept, "--archive", s_dir + "/none.sqlite"});
    EXPECT_EQ(run.status, 9);
    EXPECT_NE(run.err.find("none.sqlite"), std::string::npos) << run.err;
    run = RunProgram({"--trend-picture", kept, "--archive", s_archive, "--roll", "nothing-like-it"});
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(Read(kept), "before");
    EXPECT_FALSE(std::filesystem::exists(s_dir + "/none.sqlite"));
    run = RunProgram({"--trend-picture", kept, "--archive", s_archive, "--bogus"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--bogus"), std::string::npos) << run.err;
}

TEST(TrendCommandLine, OptionsAndTheirMistakes)
{
    ViewTest::EnsureApplication();
    TrendOutput::STrendCommandLine c = TrendOutput::Parse(
        Args({"--trend-pdf", "o.pdf", "--roll", "A*", "--outside-limits", "--cov-above", "4.5", "--sequence",
              "--cov-threshold", "3", "--limit", "10", "--archive", "x.sqlite"}));
    EXPECT_TRUE(c.error.empty()) << Platform::ToUtf8(c.error);
    EXPECT_TRUE(c.pdf);
    EXPECT_EQ(c.outputPath, u"o.pdf");
    EXPECT_EQ(c.filter.rollPattern, std::optional<std::u16string>(u"A*"));
    EXPECT_TRUE(c.filter.outsideLimitsOnly);
    EXPECT_EQ(c.filter.covAbove, std::optional<double>(4.5));
    EXPECT_EQ(c.filter.limit, std::optional<int64_t>(10));
    EXPECT_TRUE(c.sequence);
    EXPECT_DOUBLE_EQ(c.covThreshold, 3);
    EXPECT_EQ(c.archive, std::optional<std::u16string>(u"x.sqlite"));
    EXPECT_TRUE(TrendOutput::Wanted(Args({"--trend-picture", "a.png"})));
    EXPECT_FALSE(TrendOutput::Wanted(Args({"--print-pdf", "a.pdf", "p.vnr"})));
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"--trend-pdf"},                                      // no file
             {"--trend-pdf", "a.pdf", "--trend-picture", "b.png"}, // two outputs
             {"--trend-picture", "a.gif"},                         // no picture format
             {"--trend-pdf", "a.pdf", "project.vnr"},              // no project goes with it
             {"--trend-pdf", "a.pdf", "--from", "2026-02-30"},
             {"--trend-pdf", "a.pdf", "--limit", "0"},
             {"--trend-pdf", "a.pdf", "--cov-threshold", "-1"},
             {"--trend-pdf", "a.pdf", "--archive", "a", "--archive", "b"},
             {"--roll", "x"}}) {
        EXPECT_FALSE(TrendOutput::Parse(Args(wrong)).error.empty()) << wrong.back();
    }
}

} // namespace
