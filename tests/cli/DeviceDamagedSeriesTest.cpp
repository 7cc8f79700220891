// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli download when the series data do not parse whole: a short
// answer has no checksum, so bytes that are not a whole series stream are a
// failed transfer and nothing is written, unless --accept-damaged.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <fstream>

#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

using namespace DeviceCliTest;

namespace {

class DeviceDamagedSeries : public SimulatedVeltrano {};

int SavedSeries(const std::string& project)
{
    StreamIO::Initialize();
    int count = -1;
    {
        CPaperDoc doc;
        if (doc.OpenProject(Platform::FromUtf8(project)))
            count = doc.GetCurrent().GetCount();
    }
    StreamIO::Shutdown();
    return count;
}

} // namespace

TEST_F(DeviceDamagedSeries, SeriesDataThatDoNotParseWholeWriteNothing)
{
    // 65 bytes "A" in a short answer (one head and nine impacts of a
    // series announcing 65), and whole series data missing their last
    // two bytes.
    for (const char* fault : {"garbled-series", "cut-series"}) {
        SCOPED_TRACE(fault);
        ASSERT_NO_FATAL_FAILURE(StartWithFaults(fault));
        const std::string folder = NewFolder(std::string("damaged-") + fault);
        std::ofstream(folder + "/p.vnr") << "old project";
        const SRun r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr", "--export", folder + "/p.txt"});
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 7) << r.err;
        EXPECT_TRUE(Contains(r.err, "did not come whole")) << r.err;
        EXPECT_TRUE(Contains(r.err, "nothing was written")) << r.err;
        EXPECT_FALSE(Contains(r.out, "saved")) << r.out;
        EXPECT_EQ(ReadAll(folder + "/p.vnr"), "old project");
        EXPECT_EQ(FolderEntries(folder).size(), 1u);
    }
}

TEST_F(DeviceDamagedSeries, AcceptDamagedSavesWhatTheParseKept)
{
    ASSERT_NO_FATAL_FAILURE(StartWithFaults("cut-series"));
    const std::string folder = NewFolder("accepted");
    const SRun r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr", "--accept-damaged"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "ended in the middle of a series")) << r.err;
    EXPECT_TRUE(Contains(r.out, "12 measurement series saved")) << r.out;
    EXPECT_EQ(SavedSeries(folder + "/p.vnr"), 12);

    // A whole stream is saved without a word about damage.
    Start();
    const SRun whole = RunCli({"download", "--port", Port(), "--save", folder + "/w.vnr"});
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_FALSE(Contains(whole.err, "whole")) << whole.err;
}

#endif // BRELMORA_HAVE_SIM
