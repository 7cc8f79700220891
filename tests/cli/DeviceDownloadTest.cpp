// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli download against the simulated Veltrano: the saved project
// and export, every fault of the instrument, and failures to write.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <algorithm>

#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/TextExport.h"
#include "platform/LanguageTable.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "sim/SimContent.h"
#include "streamio/IoStream.h"

using namespace DeviceCliTest;

namespace {

class DeviceDownload : public SimulatedVeltrano {};

std::vector<uint8_t> InfoBlockOf(const CPaperData& data)
{
    std::vector<uint8_t> block(128);
    data.GetInfoBlock(block.data());
    return block;
}

} // namespace

TEST_F(DeviceDownload, SavesTheSeriesInBothCollectionsAndTheExport)
{
    Start();
    const std::string folder = NewFolder("download-ok");
    const std::string project = folder + "/rolls.vnr", text = folder + "/rolls.txt";
    const SRun r = RunCli({"download", "--port", Port(), "--save", project, "--export", text});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "12 measurement series saved"));
    uint32_t clock = 0;
    EXPECT_TRUE(m_instrument->GetClock(clock));   // the clock exchange ran

    StreamIO::Initialize();
    {
        CPaperDoc doc;
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(project)));
        EXPECT_EQ(doc.GetLoadedFormat(), 3u);
        EXPECT_EQ(doc.GetOriginal().GetCount(), 12);
        EXPECT_EQ(doc.GetCurrent().GetCount(), 12);
        const auto expected = Sim::BuildInfoBlock(m_instrument->GetContent());
        EXPECT_EQ(InfoBlockOf(doc.GetOriginal()), std::vector<uint8_t>(expected.begin(), expected.end()));
        EXPECT_EQ(InfoBlockOf(doc.GetCurrent()), InfoBlockOf(doc.GetOriginal()));
        EXPECT_EQ(doc.GetCurrent().GetSerial(0), u"VT-20417");
        const std::vector<uint8_t> export_ = TextExport::Encode(SeriesPageText::ExportText(doc.GetCurrent(), false, 0));
        EXPECT_EQ(ReadAll(text), std::string(export_.begin(), export_.end()));
    }
    StreamIO::Shutdown();
    EXPECT_EQ(FolderEntries(folder).size(), 2u);   // no temporary left
}

TEST_F(DeviceDownload, TheExportSpeaksTheLanguageOfTheSettingsAndTheMessagesStayEnglish)
{
    Start();
    const std::string library = std::string(BRELMORA_BINARY_DIR) + "/bin/Brelmora_DEU.so";
    Platform::CRegKey key;
    ASSERT_EQ(key.Create(u"Software\\Vantor\\Brelmora\\Settings"), 0u);
    ASSERT_EQ(key.SetString(u"LanguageFile", Platform::FromUtf8(library)), 0u);
    const std::string folder = NewFolder("download-german");
    const std::string project = folder + "/rolls.vnr", text = folder + "/rolls.txt";
    const SRun r = RunCli({"download", "--port", Port(), "--save", project, "--export", text});
    key.DeleteValue(u"LanguageFile");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "12 measurement series saved")) << r.out;

    // The desktop program's export of the same project with the German texts.
    StreamIO::Initialize();
    {
        CPaperDoc doc;
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(project)));
        Platform::SetLanguageStrings(Platform::LoadLanguageTable(library));
        const std::vector<uint8_t> german = TextExport::Encode(SeriesPageText::ExportText(doc.GetCurrent(), false, 0));
        Platform::SetLanguageStrings(nullptr);
        EXPECT_EQ(ReadAll(text), std::string(german.begin(), german.end()));
        const std::vector<uint8_t> english = TextExport::Encode(SeriesPageText::ExportText(doc.GetCurrent(), false, 0));
        EXPECT_NE(german, english);
    }
    StreamIO::Shutdown();
}

TEST_F(DeviceDownload, SeriesBeyond64KiBComeDownWhole)
{
    StartWithFaults("large");
    const size_t count = m_instrument->GetSeriesCount();
    ASSERT_GT(Sim::BuildSeriesBytes(m_instrument->GetContent().series).size(), 65536u);
    const std::string project = NewFolder("download-large") + "/large.vnr";
    const SRun r = RunCli({"download", "--port", Port(), "--save", project});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    StreamIO::Initialize();
    {
        CPaperDoc doc;
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(project)));
        EXPECT_EQ(static_cast<size_t>(doc.GetOriginal().GetCount()), count);
    }
    StreamIO::Shutdown();
}

// Each fault ends in its exit status and message, in bounded time, and
// leaves the output folder empty.
TEST_F(DeviceDownload, EveryFaultEndsInItsOutcomeAndWritesNothing)
{
    struct SCase {
        const char* fault;
        int exitCode;
        const char* message;
    };
    const SCase cases[] = {
        {"no-series", 5, "There are no measurement series on this Veltrano!"},
        {"cannot-transfer", 6, "This Veltrano does not support downloading data."},
        {"bad-checksum", 7, "wrong checksum"},
        {"hangup", 7, "connection to the instrument was lost"},
        {"silence-after=3", 7, "did not answer in time"},
        {"short-info", 7, "information block did not come whole"},
        {"silence-after=0", 4, "No instrument answers on COM41"},
    };
    int n = 0;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_NO_FATAL_FAILURE(StartWithFaults(c.fault));
        const std::string folder = NewFolder("fault-" + std::to_string(++n));
        const SRun r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr", "--export", folder + "/p.txt"});
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
        // Identification, information block, clock and series each have a
        // 2000 ms timeout; the disconnection adds at most one more.
        EXPECT_LT(r.ms, 12000);
        EXPECT_TRUE(FolderEntries(folder).empty());
    }
}

TEST_F(DeviceDownload, GarbageOnTheLineNeitherHangsNorWritesAPartialProject)
{
    ASSERT_NO_FATAL_FAILURE(StartWithFaults("garbage=7"));
    const std::string folder = NewFolder("garbage");
    const SRun r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(r.exitCode == 4 || r.exitCode == 7) << r.exitCode << r.err;
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(DeviceDownload, AfterDeleteAllNothingIsFound)
{
    Start();
    EXPECT_EQ(RunCli({"delete-all", "--port", Port()}).exitCode, 1);   // no --yes: nothing deleted
    EXPECT_EQ(m_instrument->GetSeriesCount(), 12u);
    const SRun del = RunCli({"delete-all", "--port", Port(), "--yes"});
    ASSERT_EQ(del.exitCode, 0) << del.err;
    EXPECT_TRUE(Contains(del.out, "Delete all data on Veltrano succeeded."));
    EXPECT_EQ(m_instrument->GetSeriesCount(), 0u);

    const std::string folder = NewFolder("after-delete");
    const SRun r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr"});
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(DeviceDownload, OutputThatCannotBeWrittenIsReportedBeforeTheTransfer)
{
    Start();
    const std::string folder = NewFolder("unwritable");
    const SRun r = RunCli({"download", "--port", Port(), "--save", folder + "/missing/p.vnr"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(Contains(r.err, folder + "/missing/p.vnr")) << r.err;
    uint32_t clock = 0;
    EXPECT_FALSE(m_instrument->GetClock(clock));   // the instrument was not asked
    EXPECT_EQ(RunCli({"download", "--port", Port(), "--save", folder, "--export", folder + "/x.txt"}).exitCode, 3);
    EXPECT_EQ(RunCli({"download", "--port", Port(), "--save", folder + "/x", "--export", folder + "/x"}).exitCode, 1);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

// The export's folder disappears while the series come down: the project
// (written first) must not appear either, and the old project stays.
TEST_F(DeviceDownload, AFailedExportLeavesTheOldProjectAsItWas)
{
    Sim::SLineOptions slow;
    slow.baud = 38400;
    Start({}, 40, nullptr, slow);
    const std::string folder = NewFolder("staged");
    const std::string exportFolder = NewFolder("staged-export");
    std::ofstream(folder + "/p.vnr") << "old project";
    SRun r;
    std::thread cli([&] {
        r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr", "--export", exportFolder + "/p.txt"});
    });
    uint32_t clock = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_instrument->GetClock(clock) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::filesystem::remove_all(exportFolder);
    cli.join();
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_TRUE(Contains(r.err, exportFolder + "/p.txt")) << r.err;
    EXPECT_EQ(ReadAll(folder + "/p.vnr"), "old project");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"p.vnr"});
}

#endif // BRELMORA_HAVE_SIM
