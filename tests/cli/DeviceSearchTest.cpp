// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli search: the device search on the device thread, with the
// result listed as the search result page lists it.  Every COM number but the
// simulator's is mapped to a path that does not exist.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

using namespace DeviceCliTest;

namespace {

class DeviceSearch : public SimulatedVeltrano {};

constexpr const char* kListLine = "Serial number: VT-20417    @ COM41\n";

} // namespace

TEST_F(DeviceSearch, FindsTheInstrumentOnItsPort)
{
    Start();
    const SRun r = RunCli({"search", "--port", "41"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string("Serial COM41:\n Veltrano   Serial: VT-20417\n"
                                 "Finished device search, found device(s):\n") + kListLine);
}

TEST_F(DeviceSearch, ScanTriesEveryPortAndHonoursSkipAndStopFirst)
{
    Start();
    SRun r = RunCli({"search", "--scan"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Serial COM1:\ncould not open port.\n"));
    EXPECT_TRUE(Contains(r.out, "Serial COM256:\ncould not open port.\n"));   // goes on after a find
    EXPECT_TRUE(Contains(r.out, std::string("found device(s):\n") + kListLine)) << r.out;

    r = RunCli({"search", "--scan", "--stop-first"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(Contains(r.out, "Serial COM42:"));
    EXPECT_TRUE(Contains(r.out, kListLine));

    r = RunCli({"search", "--scan", "--skip", "COM41:"});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_FALSE(Contains(r.out, "COM41:"));
    EXPECT_TRUE(Contains(r.out, "Finished device search, no device found.\n"));
}

TEST_F(DeviceSearch, NoInstrumentAndWrongArguments)
{
    const SRun r = RunCli({"search", "--port", "41"});   // nothing serves the port
    EXPECT_EQ(r.exitCode, 4);
    // The line after "could not open port." says why.
    EXPECT_EQ(r.out, "Serial COM41:\ncould not open port.\nCOM41 was not found on this computer. Check that the "
                     "instrument's cable or USB adapter is plugged in, or choose another port.\n"
                     "Finished device search, no device found.\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--port", "41", "--scan"}, {"--port", "41", "--skip", "3"}, {"--port", "0"}, {"--port"}, {"--all"}}) {
        std::vector<std::string> full = {"search"};
        full.insert(full.end(), args.begin(), args.end());
        EXPECT_EQ(RunCli(full).exitCode, 1) << args[0];
    }
}

#endif // BRELMORA_HAVE_SIM
