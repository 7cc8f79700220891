// SPDX-License-Identifier: GPL-3.0-or-later
// Device commands whose answers go missing: the names command reads the list
// back and says what the instrument holds; a lost "remote mode off" is a
// warning after a download that succeeded.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

using namespace DeviceCliTest;

namespace {

class DeviceLostAnswer : public SimulatedVeltrano {};

} // namespace

TEST_F(DeviceLostAnswer, ANamesChangeWhoseAnswerIsLostIsJudgedByTheListReadBack)
{
    // Made, but not answered: success with a note, the list as it is now.
    StartWithFaults("lose-answer=names");
    SRun r = RunCli({"names", "--port", Port(), "--set", "2", "Kalander"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "the change was made")) << r.err;
    EXPECT_EQ(r.out, "1\tPM1 NP 001\n2\tKalander\n");
    EXPECT_EQ(m_instrument->GetNames(), (std::vector<std::string>{"PM1 NP 001", "Kalander"}));

    StartWithFaults("lose-answer=names");
    r = RunCli({"names", "--port", Port(), "--delete", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1\tPM2 LWC\n");

    // Neither made nor answered: a failure that says the list is unchanged.
    StartWithFaults("lose-request=names");
    r = RunCli({"names", "--port", Port(), "--insert", "1", "Neu"});
    EXPECT_EQ(r.exitCode, 7) << r.err;
    EXPECT_TRUE(Contains(r.err, "the change was not made")) << r.err;
    EXPECT_EQ(r.out, "1\tPM1 NP 001\n2\tPM2 LWC\n");
}

TEST_F(DeviceLostAnswer, AnUnansweredRemoteModeOffIsAWarning)
{
    StartWithFaults("lose-answer=remote-off");
    const std::string dir = NewFolder("remote-off");
    const SRun r = RunCli({"download", "--port", Port(), "--save", dir + "/a.vnr"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "12 measurement series saved")) << r.out;
    EXPECT_TRUE(Contains(r.err, "did not answer when its remote mode was switched off")) << r.err;
    EXPECT_FALSE(m_instrument->GetRemoteMode());
}

#endif
