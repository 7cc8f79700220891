// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli identify, names, option and the port problems a user meets,
// against the simulated Veltrano.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/serial/Rs232Stream.h"

using namespace DeviceCliTest;

namespace {

class DeviceCommands : public SimulatedVeltrano {};

std::vector<std::string> Names(const Sim::CInstrument& instrument)
{
    return instrument.GetNames();
}

} // namespace

TEST_F(DeviceCommands, IdentifyPrintsTheInformationText)
{
    Start();
    const SRun r = RunCli({"identify", "--port", "com41"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Device type:\tVeltrano\nSerial number:\tVT-20417\nApplication Version:\t2.14.0.3\n"
                     "Hardware revision:\tC\nBootloader Version:\t1.3.0.0\nSignature:\t0702A41C\n");
}

TEST_F(DeviceCommands, NamesAreChangedAndReadBack)
{
    Start();
    SRun r = RunCli({"names", "--port", Port()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1\tPM1 NP 001\n2\tPM2 LWC\n");

    // Slots count from 1; a long name is cut to 12 characters with a note.
    r = RunCli({"names", "--port", Port(), "--set", "2", "PM2 LWC Kalander"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "\"PM2 LWC Kala\""));
    EXPECT_EQ(r.out, "1\tPM1 NP 001\n2\tPM2 LWC Kala\n");
    EXPECT_EQ(Names(*m_instrument), (std::vector<std::string>{"PM1 NP 001", "PM2 LWC Kala"}));

    // A slot past the end goes to the first free one: no gaps.
    r = RunCli({"names", "--port", Port(), "--set", "9", "Wickler 3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "slot 3"));
    EXPECT_EQ(Names(*m_instrument).back(), "Wickler 3");

    ASSERT_EQ(RunCli({"names", "--port", Port(), "--insert", "1", "Größe A"}).exitCode, 0);
    EXPECT_EQ(Names(*m_instrument),
              (std::vector<std::string>{"Gr\xF6\xDF" "e A", "PM1 NP 001", "PM2 LWC Kala", "Wickler 3"}));
    r = RunCli({"names", "--port", Port()});
    EXPECT_TRUE(Contains(r.out, "1\tGröße A\n")) << r.out;

    ASSERT_EQ(RunCli({"names", "--port", Port(), "--delete", "1,3"}).exitCode, 0);
    EXPECT_EQ(Names(*m_instrument), (std::vector<std::string>{"PM1 NP 001", "Wickler 3"}));
    ASSERT_EQ(RunCli({"names", "--port", Port(), "--clear-from", "2"}).exitCode, 0);
    EXPECT_EQ(Names(*m_instrument), std::vector<std::string>{"PM1 NP 001"});
    ASSERT_EQ(RunCli({"names", "--port", Port(), "--clear-from", "1"}).exitCode, 0);
    r = RunCli({"names", "--port", Port()});
    EXPECT_EQ(r.out, "The instrument holds no series names.\n");
}

TEST_F(DeviceCommands, NamesTheInstrumentCannotTakeAreRefusedBeforeTheLineIsOpened)
{
    Start();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--set", "0", "x"}, {"--set", "51", "x"}, {"--set", "1", ""}, {"--set", "1", "Preis 5 \xE2\x82\xAC"},
             {"--delete", "1,,2"}, {"--delete", "1,99"}, {"--clear-from", "-1"}, {"--set", "1", "a", "--delete", "1"}}) {
        std::vector<std::string> full = {"names", "--port", Port()};
        full.insert(full.end(), args.begin(), args.end());
        const SRun r = RunCli(full);
        EXPECT_EQ(r.exitCode, 1) << args[0] << " " << args[1];
    }
    EXPECT_EQ(m_instrument->GetRequestCount(), 0u);
}

TEST_F(DeviceCommands, InsertIntoAFullListIsRefused)
{
    Start({}, 12, [](Sim::SSimContent& c) {
        c.names.clear();
        for (int i = 1; i <= 50; ++i)
            c.names.push_back("Name " + std::to_string(i));
    });
    const SRun r = RunCli({"names", "--port", Port(), "--insert", "1", "one more"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "There are already 50 series names."));
    EXPECT_EQ(Names(*m_instrument).size(), 50u);
    EXPECT_EQ(Names(*m_instrument).front(), "Name 1");
}

TEST_F(DeviceCommands, OptionIsSwitchedAndReadBack)
{
    Start();
    SRun r = RunCli({"option", "--port", Port()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Store invalid measurements as zero: off\n");
    r = RunCli({"option", "--port", Port(), "on"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Store invalid measurements as zero: on\n");
    EXPECT_TRUE(m_instrument->GetOption88());
    ASSERT_EQ(RunCli({"option", "--port", Port(), "off"}).exitCode, 0);
    EXPECT_FALSE(m_instrument->GetOption88());
    EXPECT_EQ(RunCli({"option", "--port", Port(), "maybe"}).exitCode, 1);
}

TEST_F(DeviceCommands, AnInstrumentWithoutTheOptionSaysSo)
{
    Start({}, 12, [](Sim::SSimContent& c) { c.option88Supported = false; });
    const SRun r = RunCli({"option", "--port", Port(), "on"});
    EXPECT_EQ(r.exitCode, 6);
    EXPECT_TRUE(Contains(r.err, "This option is not supported with this Veltrano version.\nPlease update your Veltrano."))
        << r.err;
}

// Each way of not reaching an instrument gets exit status 4 and a message
// that names the port and says what to do.
TEST_F(DeviceCommands, PortsThatCannotBeUsedAreExplained)
{
    SRun r = RunCli({"identify", "--port", Port()});   // mapped to a path that does not exist
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.err, "COM41 was not found")) << r.err;

    const std::string plain = TestEnv::TempDir() + "/not-a-port";
    std::ofstream(plain) << "x";
    MapPortTo(plain);
    r = RunCli({"names", "--port", Port()});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.err, "COM41 (" + plain + ") is not a serial port")) << r.err;

    // A port another program holds.
    Start();
    StreamIO::Initialize();
    {
        StreamIO::CRs232Stream holder;
        ASSERT_TRUE(holder.OpenPort(kPortNumber, StreamIO::SF_READ | StreamIO::SF_WRITE, nullptr));
        r = RunCli({"download", "--port", Port(), "--save", TestEnv::TempDir() + "/busy.vnr"});
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_TRUE(Contains(r.err, "COM41 is in use by another program")) << r.err;
    }
    StreamIO::Shutdown();
    EXPECT_FALSE(std::filesystem::exists(TestEnv::TempDir() + "/busy.vnr"));

    // No permission (only testable without superuser rights).
    if (geteuid() != 0) {
        ::chmod(m_sim->GetSlavePath().c_str(), 0);
        r = RunCli({"identify", "--port", Port()});
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_TRUE(Contains(r.err, "You are not allowed to use COM41")) << r.err;
    }

    // A silent instrument.
    ASSERT_NO_FATAL_FAILURE(StartWithFaults("silence-after=0"));
    r = RunCli({"identify", "--port", Port()});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.err, "No instrument answers on COM41.")) << r.err;
}

TEST_F(DeviceCommands, PortsOutsideTheRangeAreUsageErrors)
{
    for (const char* port : {"COM0:", "COM257:", "COM3x", "LPT1:", "", "41:"})
        EXPECT_EQ(RunCli({"identify", "--port", port}).exitCode, 1) << port;
    EXPECT_EQ(RunCli({"identify"}).exitCode, 1);
    EXPECT_EQ(RunCli({"download", "--port", "COM41:"}).exitCode, 1);   // no --save
}

#endif // BRELMORA_HAVE_SIM
