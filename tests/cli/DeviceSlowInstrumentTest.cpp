// SPDX-License-Identifier: GPL-3.0-or-later
// Slow instruments end in bounded time: an answer trickling in a byte at a
// time ends at the text command's time-out, a series stream that slows to a
// trickle ends as a time-out within a few seconds, and nothing is written.
#include <gtest/gtest.h>

#include "cli/DeviceCliSupport.h"

using namespace DeviceCliTest;

namespace {

class DeviceSlowInstrument : public SimulatedVeltrano {};

TEST_F(DeviceSlowInstrument, TrickledAnswersEndAsTimeOuts)
{
    // 0.3 s a byte: the identification's answer would take half a minute.
    ASSERT_NO_FATAL_FAILURE(StartWithFaults("trickle=300"));
    SRun r = RunCli({"identify", "--port", Port()}, 30000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 4) << r.err;
    EXPECT_LT(r.ms, 8000);

    // The series stream stops being a stream half way through: two bytes a
    // second is far below a tenth of the line rate.
    ASSERT_NO_FATAL_FAILURE(StartWithFaults("trickle-series=500"));
    const std::string folder = NewFolder("trickle");
    r = RunCli({"download", "--port", Port(), "--save", folder + "/p.vnr"}, 60000);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 7) << r.err;
    EXPECT_TRUE(Contains(r.err, "did not answer in time")) << r.err;
    EXPECT_LT(r.ms, 20000);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

} // namespace
