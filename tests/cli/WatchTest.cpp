// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli watch as a program: several simulated instruments at once on
// pseudo-terminals and TCP loopback, the delete rule, the signals, a kill in
// the middle of the archive's write, new device files, wrong uses.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <sstream>
#include <unistd.h>

#include "sim/TcpSimulator.h"
#include "support/ChildProcess.h"

using namespace DeviceCliTest;

namespace {

constexpr int kComA = 71;
constexpr int kComB = 72;
constexpr int kComSilent = 73;

std::string Cli()
{
    return std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli";
}

// An instrument in this process, on a COM port or on TCP loopback.
struct SSim {
    std::shared_ptr<Sim::CInstrument> instrument;
    std::unique_ptr<Sim::CVeltranoSimulator> pty;
    std::unique_ptr<Sim::CTcpSimulator> tcp;
    int com = 0;
    ~SSim()
    {
        if (tcp)
            tcp->Stop();
        if (com != 0)
            TestEnv::StopComPortSimulator(com, pty);
    }
    size_t Held() const { return instrument->GetSeriesCount(); }
    std::string Port() const { return tcp ? "IP:127.0.0.1:" + std::to_string(tcp->GetPort()) : "COM" + std::to_string(com); }
};

std::shared_ptr<Sim::CInstrument> Instrument(size_t series, uint32_t seed, const char* faults = "")
{
    Sim::SSimContent c;
    c.series = Sim::GenerateSeries(series, seed);
    c.identity.serialNumber = "VT-" + std::to_string(seed);
    Sim::SFaults f;
    std::string error;
    if (faults[0] != '\0') {
        EXPECT_TRUE(Sim::ParseFaults(faults, f, error)) << error;
    }
    return std::make_shared<Sim::CInstrument>(c, f, seed);
}

std::unique_ptr<SSim> OnCom(int com, std::shared_ptr<Sim::CInstrument> instrument)
{
    auto s = std::make_unique<SSim>();
    s->instrument = std::move(instrument);
    std::string error;
    s->pty = TestEnv::ServeOnComPort(com, s->instrument, {}, error);
    EXPECT_TRUE(s->pty) << error;
    s->com = com;
    return s;
}

std::unique_ptr<SSim> OnTcp(std::shared_ptr<Sim::CInstrument> instrument)
{
    auto s = std::make_unique<SSim>();
    s->instrument = std::move(instrument);
    s->tcp = std::make_unique<Sim::CTcpSimulator>(s->instrument);
    std::string error;
    EXPECT_TRUE(s->tcp->Start("127.0.0.1", 0, error)) << error;
    return s;
}

// The measurements the archive holds, each checked to have one revision
// only (a series archived twice would show as a second revision or a
// second measurement).
size_t Records(const std::string& archive)
{
    if (!std::filesystem::exists(archive))
        return 0;
    const SRun r = RunCli({"archive", "find", "--archive", archive, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    size_t n = 0, once = 0;
    for (size_t at = r.out.find("\"archiveId\":"); at != std::string::npos; at = r.out.find("\"archiveId\":", at + 1))
        ++n;
    for (size_t at = r.out.find("\"revisions\":1"); at != std::string::npos; at = r.out.find("\"revisions\":1", at + 1))
        ++once;
    EXPECT_EQ(n, once) << r.out.substr(0, 400);
    return n;
}

size_t Lines(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

bool WaitForRequests(const SSim& sim, uint64_t n, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (sim.instrument->GetRequestCount() < n) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

TEST(Watch, OnceOverThreeInstrumentsAndASilentOneArchivesEachSeriesOnce)
{
    auto a = OnCom(kComA, Instrument(6, 1));
    auto b = OnCom(kComB, Instrument(9, 2));
    auto silent = OnCom(kComSilent, Instrument(2, 3, "silence-after=0"));
    auto c = OnTcp(Instrument(4, 4));
    const std::string dir = NewFolder("watch-once");
    const std::string archive = dir + "/archive.sqlite", status = dir + "/status.json";
    const std::vector<std::string> args = {"watch", "--port", "COM71", "--port", "COM72", "--port", "COM73:",
                                           "--port", c->Port(), "--archive", archive, "--once", "--status", status};
    SRun r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Records(archive), 19u);
    EXPECT_TRUE(Contains(r.err, "COM71: VT-1 found\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM72: 9 series archived: 9 added, 0 revised, 0 unchanged\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, c->Port() + ": 4 series downloaded from VT-4\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM73: absent: no instrument answers\n")) << r.err;
    // Without --delete-after-archive the instruments keep everything.
    EXPECT_EQ(a->Held() + b->Held() + c->Held(), 19u);
    const std::string state = ReadAll(status);
    EXPECT_EQ(Lines(state, "\"port\":"), 4u) << state;
    EXPECT_TRUE(Contains(state, "{\"port\":\"COM73\",\"state\":\"absent\",\"serial\":null")) << state;
    EXPECT_TRUE(Contains(state, "\"lastDownload\":{\"time\":\"")) << state;

    // Again, now deleting, with JSON lines: nothing is stored twice.
    std::vector<std::string> again = args;
    again.insert(again.end(), {"--delete-after-archive", "--json"});
    r = RunCli(again);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Records(archive), 19u);
    EXPECT_EQ(a->Held() + b->Held() + c->Held(), 0u);
    EXPECT_EQ(silent->Held(), 2u);
    std::istringstream lines(r.err);
    std::string line;
    int deleted = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.front(), '{') << line;
        EXPECT_EQ(line.back(), '}') << line;
        EXPECT_TRUE(Contains(line, "\"event\":\"")) << line;
        deleted += Contains(line, "\"event\":\"deleted\"");
    }
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(Contains(r.err, "\"event\":\"archived\",\"port\":\"COM72\",\"serial\":\"VT-2\",\"series\":9,"
                                "\"added\":0,\"revised\":0,\"unchanged\":9}"))
        << r.err;
}

TEST(Watch, ASeriesMeasuredBetweenDownloadAndDeleteIsKeptAndTakenNextTime)
{
    auto a = OnCom(kComA, Instrument(5, 5, "measure-after-download"));
    const std::string dir = NewFolder("watch-late");
    const std::vector<std::string> args = {"watch", "--port", "COM71", "--archive", dir + "/archive.sqlite", "--save-dir",
                                           dir, "--once", "--delete-after-archive"};
    SRun r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM71: series kept on the instrument: the instrument now holds 6 series, 5 were "
                                "downloaded"))
        << r.err;
    EXPECT_FALSE(Contains(r.err, "deleted")) << r.err;
    EXPECT_EQ(a->Held(), 6u);
    EXPECT_EQ(Records(dir + "/archive.sqlite"), 5u);
    r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM71: 6 series archived: 1 added, 0 revised, 5 unchanged\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "COM71: 6 series deleted on the instrument\n")) << r.err;
    EXPECT_EQ(a->Held(), 0u);
    EXPECT_EQ(Records(dir + "/archive.sqlite"), 6u);
    // One project file per download.
    size_t projects = 0;
    for (const std::string& name : FolderEntries(dir))
        projects += name.rfind("VT-5_", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".vnr";
    EXPECT_EQ(projects, 2u);
}

TEST(Watch, SigtermDuringATransferEndsWithinTwoSecondsAndKeepsTheSeries)
{
    auto a = OnCom(kComA, Instrument(60, 6, "trickle-series=20"));
    auto silent = OnCom(kComSilent, Instrument(2, 7, "silence-after=0"));
    const std::string dir = NewFolder("watch-sigterm");
    TestEnv::CChildProcess watch(Cli(),
                                 {"watch", "--port", "COM71", "--port", "COM73", "--archive", dir + "/archive.sqlite",
                                  "--delete-after-archive", "--status", dir + "/status.json"},
                                 {}, dir + "/err");
    ASSERT_TRUE(watch.WaitForStderr("COM71: VT-6 found", 10000)) << watch.Stderr();
    ASSERT_TRUE(WaitForRequests(*a, 4, 10000));
    const auto signalled = std::chrono::steady_clock::now();
    watch.Stop(SIGTERM);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - signalled).count();
    EXPECT_LT(ms, 2000);
    ASSERT_TRUE(watch.Ended());
    EXPECT_TRUE(WIFEXITED(watch.Status()) && WEXITSTATUS(watch.Status()) == 0) << watch.Status();
    EXPECT_TRUE(Contains(watch.Stderr(), "brelmora-cli: watch ended\n")) << watch.Stderr();
    EXPECT_EQ(Records(dir + "/archive.sqlite"), 0u);
    EXPECT_EQ(a->Held(), 60u);
    // The status file was left whole.
    const std::string state = ReadAll(dir + "/status.json");
    EXPECT_EQ(state.back(), '\n');
    EXPECT_TRUE(Contains(state, "\"instruments\":[")) << state;
}

TEST(Watch, KillDuringTheArchiveWriteThenARerunCompletesIt)
{
    // Large enough that the kill lands while records are being written.
    auto a = OnCom(kComA, Instrument(400, 8));
    const std::string dir = NewFolder("watch-kill");
    const std::string archive = dir + "/archive.sqlite";
    {
        TestEnv::CChildProcess watch(Cli(), {"watch", "--port", "COM71", "--archive", archive, "--once",
                                             "--delete-after-archive"},
                                     {}, dir + "/err1");
        ASSERT_TRUE(watch.WaitForStderr("series downloaded", 20000)) << watch.Stderr();
        watch.Stop(SIGKILL);
    }
    EXPECT_EQ(a->Held(), 400u);   // nothing was deleted
    // The import is one transaction: all of it or none, and a sound file.
    const size_t kept = Records(archive);
    EXPECT_TRUE(kept == 0 || kept == 400) << kept;
    if (std::filesystem::exists(archive)) {
        EXPECT_EQ(RunCli({"archive", "check", "--archive", archive}).exitCode, 0);
    }
    const SRun r = RunCli({"watch", "--port", "COM71", "--archive", archive, "--once", "--delete-after-archive"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Records(archive), 400u);
    EXPECT_TRUE(Contains(r.err, "COM71: 400 series deleted on the instrument")) << r.err;
    EXPECT_EQ(a->Held(), 0u);
}

TEST(Watch, UnpluggedMidTransferAndBackLaterIsCollectedOnce)
{
    auto a = OnCom(kComA, Instrument(40, 9, "trickle-series=10"));
    const std::string dir = NewFolder("watch-unplug");
    TestEnv::CChildProcess watch(Cli(),
                                 {"watch", "--port", "COM71", "--archive", dir + "/archive.sqlite", "--interval", "1",
                                  "--delete-after-archive"},
                                 {}, dir + "/err");
    ASSERT_TRUE(watch.WaitForStderr("COM71: VT-9 found", 10000)) << watch.Stderr();
    ASSERT_TRUE(WaitForRequests(*a, 4, 10000));
    const auto instrument = a->instrument;
    a.reset();   // the pseudo-terminal closes: the cable is pulled
    ASSERT_TRUE(watch.WaitForStderr("COM71: the instrument was lost", 10000)) << watch.Stderr();
    EXPECT_EQ(Records(dir + "/archive.sqlite"), 0u);
    instrument->SetFaults({});
    auto back = OnCom(kComA, instrument);
    ASSERT_TRUE(watch.WaitForStderr("COM71: 40 series deleted on the instrument", 10000)) << watch.Stderr();
    EXPECT_EQ(Records(dir + "/archive.sqlite"), 40u);
    EXPECT_EQ(instrument->GetSeriesCount(), 0u);
    watch.Stop(SIGINT);
    EXPECT_TRUE(WIFEXITED(watch.Status()) && WEXITSTATUS(watch.Status()) == 0);
}

TEST(Watch, ANewDeviceFileIsNoticedWithinASecond)
{
    const std::string dir = NewFolder("watch-inotify");
    const std::string node = dir + "/ttyVT0";
    ASSERT_EQ(Platform::SetComPortDevicePath(kComB, node), 0u);
    TestEnv::CChildProcess watch(Cli(), {"watch", "--port", "COM72", "--save-dir", dir, "--interval", "3600"}, {},
                                 dir + "/err");
    ASSERT_TRUE(watch.WaitForStderr("COM72: absent: no device file", 10000)) << watch.Stderr();
    Sim::CVeltranoSimulator sim(Instrument(3, 10));
    std::string error;
    const std::string pty = sim.ServePty(&error);
    ASSERT_FALSE(pty.empty()) << error;
    const auto plugged = std::chrono::steady_clock::now();
    ASSERT_EQ(::symlink(pty.c_str(), node.c_str()), 0);
    ASSERT_TRUE(watch.WaitForStderr("COM72: saved as ", 5000)) << watch.Stderr();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - plugged).count(),
              1000);
    watch.Stop(SIGTERM);
    sim.Stop();
    ::unlink(node.c_str());
    Platform::SetComPortDevicePath(kComB, TestEnv::AbsentComDevice(kComB));
}

TEST(Watch, SighupReadsThePortsAgain)
{
    const std::string dir = NewFolder("watch-sighup");
    TestEnv::CChildProcess watch(Cli(), {"watch", "--scan", "--save-dir", dir, "--interval", "3600"}, {},
                                 dir + "/err");
    ASSERT_TRUE(watch.WaitForStderr("ports and addresses watched: 256", 10000)) << watch.Stderr();
    // COM74 now leads to an instrument; the scan knows at the next SIGHUP.
    auto a = OnCom(74, Instrument(2, 11));
    ASSERT_TRUE(watch.Running());
    EXPECT_FALSE(Contains(watch.Stderr(), "COM74: VT-11 found"));
    ASSERT_TRUE(watch.Signal(SIGHUP));
    ASSERT_TRUE(watch.WaitForStderr("settings read again: ports and addresses watched: 256", 10000)) << watch.Stderr();
    ASSERT_TRUE(watch.WaitForStderr("COM74: saved as ", 10000)) << watch.Stderr();
    watch.Stop(SIGTERM);
}

TEST(Watch, WrongUsesAndUnusableOutputsAreRefusedBeforeAnyInstrumentIsAsked)
{
    const std::string dir = NewFolder("watch-usage");
    for (const auto& [args, text] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"watch", "--archive", dir + "/a.sqlite"}, "watch needs a place to look"},
             {{"watch", "--port", "COM71"}, "watch needs a place to keep the series"},
             {{"watch", "--port", "COM71", "--save-dir", dir, "--delete-after-archive"}, "needs --archive"},
             {{"watch", "--port", "COM71", "--save-dir", dir, "--interval", "0"}, "--interval takes 1 to 86400"},
             {{"watch", "--port", "COM71", "--save-dir", dir, "--interval", "x"}, "--interval takes"},
             {{"watch", "--port", "COM999", "--save-dir", dir}, "COM999"},
             {{"watch", "--port", "COM71", "--save-dir", dir, "--frob"}, "unknown option \"--frob\" for \"watch\""},
             {{"watch", "--port", "COM71", "--save-dir", dir, "--status", dir + "/s", "--status", dir + "/t"},
              "wrong arguments for \"watch\""},
         }) {
        const SRun r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << args.back() << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, text)) << r.err;
    }
    SRun r = RunCli({"watch", "--port", "COM71", "--save-dir", dir + "/missing", "--once"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_TRUE(Contains(r.err, dir + "/missing: is not a folder")) << r.err;
    r = RunCli({"watch", "--port", "COM71", "--save-dir", dir, "--status", dir + "/no/s.json", "--once"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    // An archive that is a file: status 9, naming it.
    const std::string file = dir + "/plain";
    const std::string notes = "Roll 4711: hard at the core, soft at the edges.\nRoll 4712: even.\n";
    std::ofstream(file) << notes;
    r = RunCli({"watch", "--port", "COM71", "--archive", file, "--once"});
    EXPECT_EQ(r.exitCode, 9) << r.err;
    EXPECT_TRUE(Contains(r.err, file)) << r.err;
    EXPECT_TRUE(ReadAll(file) == notes);
    // The help names the command.
    r = RunCli({"watch", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(Contains(r.out, "watch [--port PORT]... [--scan]")) << r.out;
}

#endif
