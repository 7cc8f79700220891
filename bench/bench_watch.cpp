// SPDX-License-Identifier: GPL-3.0-or-later
// The hands-free collection over simulated instruments on TCP loopback.
//
//   WatchPass/eight_64KiB   eight instruments with 64 KiB of series each, on
//                           lines of 1 Mbit/s, collected by one pass of the
//                           collector; counter "ratio" is the pass's time
//                           over the slowest instrument collected alone
//   WatchIdle/eight         brelmora-cli watch over eight instruments after
//                           its first pass: counter "cpuPercent" is the CPU
//                           it uses while waiting for the next one
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "collect/Collector.h"
#include "sim/SeriesGenerator.h"
#include "sim/TcpSimulator.h"

namespace {

constexpr int kInstruments = 8;

// Counts what it is given and keeps nothing, so the instruments stay as
// they are for the next iteration.
class CCountingSink : public Collect::ICollectSink {
public:
    Collect::SStoreCounts Store(const CPaperData& original, const CPaperData&, const std::string&) override
    {
        Collect::SStoreCounts c;
        c.added = original.GetCount();
        return c;
    }
};

class CQuiet : public Collect::ICollectListener {
public:
    void OnCollectEvent(const Collect::SEvent&) override {}
};

class CHost : public Collect::IPassHost {
public:
    bool StopRequested() override { return false; }
    void Report(const Collect::SEvent&) override {}
    void EnterCritical() override {}
    void LeaveCritical() override {}
};

struct SInstruments {
    std::vector<std::unique_ptr<Sim::CTcpSimulator>> sims;
    std::vector<Collect::SCollectTarget> targets;
    bool Start(uint32_t baud, std::string& error)
    {
        for (int i = 0; i < kInstruments; ++i) {
            Sim::SSimContent content;
            content.identity.serialNumber = "VT-" + std::to_string(30000 + i);
            Sim::GrowSeriesBeyond(content.series, 64 * 1024, 100 + static_cast<uint32_t>(i));
            Sim::SLineOptions line;
            line.baud = baud;
            sims.push_back(std::make_unique<Sim::CTcpSimulator>(std::make_shared<Sim::CInstrument>(content), line));
            if (!sims.back()->Start("127.0.0.1", 0, error))
                return false;
            targets.push_back(Collect::LinkTarget(StreamIO::SLinkSpec::Ip("127.0.0.1", sims.back()->GetPort())));
        }
        return true;
    }
    ~SInstruments()
    {
        for (auto& s : sims)
            s->Stop();
    }
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_WatchPassEight(benchmark::State& state)
{
    SInstruments instruments;
    std::string error;
    if (!instruments.Start(1000000, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    CCountingSink sink;
    Collect::SPassOptions pass;
    pass.sink = &sink;
    // Each instrument alone, one after another: the slowest sets the bar.
    double slowest = 0;
    for (const auto& target : instruments.targets) {
        CHost host;
        const auto start = std::chrono::steady_clock::now();
        if (Collect::RunPass(target, pass, host).result != Collect::EPassResult::Collected) {
            state.SkipWithError("an instrument was not collected alone");
            return;
        }
        slowest = std::max(slowest, Seconds(start));
    }
    double worst = 0;
    for (auto _ : state) {
        CQuiet quiet;
        Collect::SCollectorOptions options;
        options.pass = pass;
        options.once = true;
        const auto start = std::chrono::steady_clock::now();
        Collect::CCollector collector(options, quiet);
        for (const auto& target : instruments.targets)
            collector.Add(target);
        collector.Finish(60000);
        const double took = Seconds(start);
        worst = std::max(worst, took);
        state.SetIterationTime(took);
    }
    state.counters["slowestAloneMs"] = slowest * 1000;
    state.counters["worstPassMs"] = worst * 1000;
    state.counters["ratio"] = worst / slowest;
}
BENCHMARK(BM_WatchPassEight)->Name("WatchPass/eight_64KiB")->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// User and system CPU of process `pid` in seconds, from /proc.
double ProcessCpu(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void BM_WatchIdleEight(benchmark::State& state)
{
    SInstruments instruments;
    std::string error;
    if (!instruments.Start(0, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    // A settings file of its own, so the user's is neither read nor changed.
    char folder[] = "/tmp/brelmora-bench-watch-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    ::setenv("BRELMORA_REGISTRY", (std::string(folder) + "/registry.reg").c_str(), 1);
    const std::string program = BenchSupport::SiblingProgram("brelmora-cli");
    std::vector<std::string> args = {program, "watch", "--save-dir", folder, "--status",
                                     std::string(folder) + "/status.json"};
    for (const auto& target : instruments.targets) {
        args.push_back("--port");
        args.push_back(target.name);
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        state.SkipWithError("brelmora-cli did not start");
        return;
    }
    // The first pass: every instrument's project file is there.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        int files = 0;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            files += e.path().extension() == ".vnr";
        if (files >= kInstruments)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            state.SkipWithError("the first pass did not end");
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    double percent = 0;
    for (auto _ : state) {
        const double before = ProcessCpu(pid);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const double wall = Seconds(start);
        const double used = ProcessCpu(pid) - before;
        percent = 100.0 * used / wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpuPercent"] = percent;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WatchIdleEight)->Name("WatchIdle/eight")->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
