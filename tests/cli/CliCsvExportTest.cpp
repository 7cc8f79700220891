// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli export --csv: the spreadsheet CSV of the data layer, and the
// language library of the settings for every export text.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "data/TextExport.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "support/TestEnv.h"

namespace {

std::string Sample()
{
    return std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";
}

std::string Temp(const std::string& name)
{
    return TestEnv::TempDir() + "/" + name;
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Exit status of brelmora-cli with `arguments`; `registry` replaces the
// test's settings file when given.
int RunCli(const std::string& arguments, const std::string& registry = std::string())
{
    std::string cmd;
    if (!registry.empty())
        cmd = "BRELMORA_REGISTRY='" + registry + "' ";
    cmd += std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli " + arguments + " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The sample project's current series.
struct SampleDoc {
    SampleDoc()
    {
        StreamIO::Initialize();
        EXPECT_TRUE(doc.OpenProject(Platform::FromUtf8(Sample())));
    }
    ~SampleDoc() { StreamIO::Shutdown(); }
    CPaperDoc doc;
};

} // namespace

TEST(CliCsvExport, WritesTheSeriesAndTheImpactRowsOfTheDataLayer)
{
    SampleDoc sample;
    const std::string series = Temp("series.csv");
    const std::string impacts = Temp("impacts.csv");
    ASSERT_EQ(RunCli("export " + Sample() + " " + series + " --csv"), 0);
    ASSERT_EQ(RunCli("export " + Sample() + " " + impacts + " --csv --impacts --energy"), 0);
    EXPECT_EQ(Bytes(series), SpreadsheetExport::Encode(sample.doc.GetCurrent(), SpreadsheetExport::ERows::Series));
    EXPECT_EQ(Bytes(impacts), SpreadsheetExport::Encode(sample.doc.GetCurrent(), SpreadsheetExport::ERows::Impacts));
    EXPECT_GT(Bytes(impacts).size(), Bytes(series).size());

    // --impacts belongs to --csv, and the CSV holds no summary.
    EXPECT_EQ(RunCli("export " + Sample() + " " + Temp("x.csv") + " --impacts"), 1);
    EXPECT_EQ(RunCli("export " + Sample() + " " + Temp("x.csv") + " --csv --summary"), 1);
    EXPECT_FALSE(std::ifstream(Temp("x.csv")).good());
    EXPECT_EQ(RunCli("export " + Sample() + " " + Temp("no-folder/x.csv") + " --csv"), 3);
}

TEST(CliCsvExport, ExportsUseTheLanguageLibraryOfTheSettings)
{
    const std::string library = std::string(BRELMORA_BINARY_DIR) + "/bin/Brelmora_DEU.so";
    const std::string registry = Temp("german.reg");
    std::ofstream(registry, std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"
           "\"LanguageFile\"=\"" + library + "\"\r\n";
    const std::string text = Temp("deutsch.txt");
    const std::string csv = Temp("deutsch.csv");
    ASSERT_EQ(RunCli("export " + Sample() + " " + text, registry), 0);
    ASSERT_EQ(RunCli("export " + Sample() + " " + csv + " --csv", registry), 0);

    // What the desktop program writes with the German texts loaded.
    SampleDoc sample;
    auto table = Platform::LoadLanguageTable(library);
    ASSERT_TRUE(table);
    Platform::SetLanguageStrings(table);
    const std::vector<uint8_t> page = TextExport::Encode(SeriesPageText::ExportText(sample.doc.GetCurrent(), false, 0));
    const std::string spreadsheet =
        SpreadsheetExport::Encode(sample.doc.GetCurrent(), SpreadsheetExport::ERows::Series);
    Platform::SetLanguageStrings(nullptr);
    EXPECT_EQ(Bytes(text), std::string(page.begin(), page.end()));
    EXPECT_EQ(Bytes(csv), spreadsheet);
    EXPECT_EQ(spreadsheet.rfind("\xEF\xBB\xBFRollen-ID,Schlagz\xC3\xA4hler,", 0), 0u) << spreadsheet.substr(0, 80);

    // A library that cannot be used leaves the built-in texts.
    std::ofstream(registry, std::ios::binary | std::ios::trunc)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"
           "\"LanguageFile\"=\"" + Temp("Brelmora_XYZ.so") + "\"\r\n";
    ASSERT_EQ(RunCli("export " + Sample() + " " + csv + " --csv", registry), 0);
    EXPECT_EQ(Bytes(csv).rfind("\xEF\xBB\xBFRoll ID,Impact counter,", 0), 0u);
}
