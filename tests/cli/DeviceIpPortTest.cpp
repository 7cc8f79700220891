// SPDX-License-Identifier: GPL-3.0-or-later
// Device commands over Ethernet and on serial device paths: --port
// IP:HOST[:PORT] against the simulator listening on port 3728 of a loopback
// address of its own, search --ip and --usb, and --port /dev/... .
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>

#include "sim/TcpSimulator.h"
#include "support/ChildProcess.h"

using namespace DeviceCliTest;

namespace {

// A random address of 127.0.0.0/8 (127.0.0.2 to 127.0.0.254), so parallel
// runs rarely meet on port 3728.
std::string RandomLoopback()
{
    static std::mt19937 rng(std::random_device{}());
    return "127.0.0." + std::to_string(2 + rng() % 253);
}

bool Accepts(const std::string& address, uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

class DeviceIpPort : public SimulatedVeltrano {
protected:
    // The simulated instrument in this process on ADDRESS:3728.
    std::string StartTcp()
    {
        Sim::SSimContent c;
        c.series = Sim::GenerateSeries(9, 5);
        m_tcp = std::make_unique<Sim::CTcpSimulator>(std::make_shared<Sim::CInstrument>(c));
        for (int attempt = 0; attempt < 20; ++attempt) {
            const std::string address = RandomLoopback();
            std::string error;
            if (m_tcp->Start(address, Sim::DEFAULT_TCP_PORT, error))
                return address;
        }
        ADD_FAILURE() << "no loopback address with a free port 3728";
        return std::string();
    }
    // An address where nobody listens on 3728.
    static std::string Unused()
    {
        for (;;) {
            const std::string a = RandomLoopback();
            if (!Accepts(a, Sim::DEFAULT_TCP_PORT))
                return a;
        }
    }
    void TearDown() override
    {
        if (m_tcp)
            m_tcp->Stop();
        SimulatedVeltrano::TearDown();
    }
    std::unique_ptr<Sim::CTcpSimulator> m_tcp;
};

} // namespace

TEST_F(DeviceIpPort, AWholeDownloadComesOverTcpFromTheSimulatorProgram)
{
    std::string address;
    std::unique_ptr<TestEnv::CChildProcess> sim;
    for (int attempt = 0; attempt < 10 && !sim; ++attempt) {
        address = Unused();
        sim = std::make_unique<TestEnv::CChildProcess>(
            std::string(BRELMORA_BINARY_DIR) + "/bin/veltrano-sim",
            std::vector<std::string>{"--listen", address, "--series", "30", "--seed", "4"},
            std::vector<std::pair<std::string, std::string>>{}, TestEnv::TempDir() + "/sim-tcp.err");
        for (int i = 0; i < 250 && sim->Running() && !Accepts(address, 3728); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!sim->Running())
            sim.reset();   // the port was taken after all: another address
    }
    ASSERT_TRUE(sim);
    const std::string dir = NewFolder("ip-download");
    // The port number may be left out: 3728.
    const SRun r = RunCli({"download", "--port", "IP:" + address, "--save", dir + "/a.vnr", "--export",
                           dir + "/a.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "30 measurement series saved")) << r.out;
    const SRun info = RunCli({"info", "--json", dir + "/a.vnr"});
    EXPECT_TRUE(Contains(info.out, "\"serial\":\"VT-20417\"")) << info.out.substr(0, 400);
    EXPECT_TRUE(std::filesystem::exists(dir + "/a.txt"));

    const SRun identify = RunCli({"identify", "--port", "ip:" + address + ":3728"});
    EXPECT_EQ(identify.exitCode, 0) << identify.err;
    EXPECT_TRUE(Contains(identify.out, "VT-20417"));
    sim->Stop(SIGTERM);
}

TEST_F(DeviceIpPort, SearchOverEthernetFindsTheSimulatorAndNamesARefusedAddress)
{
    const std::string address = StartTcp();
    ASSERT_FALSE(address.empty());
    SRun r = RunCli({"search", "--ip", address});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Ethernet " + address + "\n Veltrano   Serial: VT-20417\n"
                     "Finished device search, found device(s):\n"
                     "Serial number: VT-20417    @ IP:" + address + "\n");

    // Nobody listens: exit 4 at once, naming the address.
    const std::string unused = Unused();
    r = RunCli({"search", "--ip", unused});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.out, "Ethernet " + unused + "\n")) << r.out;
    EXPECT_LT(r.ms, 5000);
    r = RunCli({"identify", "--port", "IP:" + unused + ":3728"});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.err, "IP:" + unused + ":3728: the instrument cannot be reached")) << r.err;
    EXPECT_LT(r.ms, 5000);

    // USB: this machine has no bus; the search says so and finds nothing.
    r = RunCli({"search", "--usb"});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.out, "USB\n")) << r.out;

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"search", "--ip", address, "--usb"}, {"search", "--ip", address, "--scan"},
          {"identify", "--port", "IP:"}, {"identify", "--port", "IP:" + address + ":99999"},
          {"identify", "--port", "IP:" + address + ":x"}})
        EXPECT_EQ(RunCli(bad).exitCode, 1) << bad.back();
}

TEST_F(DeviceIpPort, ASerialDevicePathIsTheComPortThatLeadsToIt)
{
    Start();
    const std::string device = Platform::ComPortDevicePath(kPortNumber);
    const SRun r = RunCli({"identify", "--port", device});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "VT-20417"));
    // The search takes the device file for its COM port too.
    const SRun found = RunCli({"search", "--port", device});
    ASSERT_EQ(found.exitCode, 0) << found.err;
    EXPECT_TRUE(Contains(found.out, "VT-20417")) << found.out;

    SRun bad = RunCli({"identify", "--port", "/nonexistent/brelmora/ttyUSB0"});
    EXPECT_EQ(bad.exitCode, 4);
    EXPECT_TRUE(Contains(bad.err, "/nonexistent/brelmora/ttyUSB0: the device does not exist")) << bad.err;
    bad = RunCli({"identify", "--port", "/dev/null"});
    EXPECT_EQ(bad.exitCode, 4);
    EXPECT_TRUE(Contains(bad.err, "/dev/null: no COM port")) << bad.err;
}

#endif
