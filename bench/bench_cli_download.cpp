// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli end to end against the instrument simulator over a
// pseudo-terminal: the whole program run (start, identification, information
// block, clock, series, project file written) as a user or script sees it.
// The series read alone is measured by brelmora-bench-download.
//
//   CliDownload/1MiB_unthrottled   1 MiB of series, simulator as fast as the line takes
//   CliDownload/64KiB_38400baud    64 KiB of series, simulator paced to 38,400 baud 8N1
//   CliSearch/256_absent_ports     "search --scan" over COM1..COM256, none present
//
// The runs use a registry file of their own (in a temporary folder) in which
// every COM number is mapped to a path that does not exist, so no serial port
// of this machine is ever opened.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "platform/ComPorts.h"


namespace {

constexpr int kPort = 7;
std::string g_folder;

// Runs brelmora-cli quietly; its exit status, or -1 when it did not run.
int RunCli(const std::vector<std::string>& args)
{
    static const std::string program = BenchSupport::SiblingProgram("brelmora-cli");
    return BenchSupport::RunQuietly(program, args);
}

void RunDownload(benchmark::State& state, size_t bytes, uint32_t baud)
{
    BenchSupport::CPtySimulator sim(bytes, baud);
    if (!sim.Serve(state, kPort))
        return;
    const size_t size = sim.SeriesBytes();
    const std::string project = g_folder + "/bench.vnr";
    for (auto _ : state) {
        const int rc = RunCli({"download", "--port", "COM" + std::to_string(kPort) + ":", "--save", project});
        if (rc != 0) {
            state.SkipWithError(("brelmora-cli download ended with " + std::to_string(rc)).c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.counters["series_bytes"] = static_cast<double>(size);
    sim.Stop();
    Platform::SetComPortDevicePath(kPort, "/nonexistent/brelmora-bench/COM" + std::to_string(kPort));
    std::remove(project.c_str());
}

void BM_CliDownload1MiB(benchmark::State& state)
{
    RunDownload(state, 1u << 20, 0);
}

void BM_CliDownload64KiBAt38400(benchmark::State& state)
{
    RunDownload(state, 64u << 10, 38400);
}

void BM_CliSearchAbsentPorts(benchmark::State& state)
{
    for (auto _ : state) {
        const int rc = RunCli({"search", "--scan"});
        if (rc != 4) {
            state.SkipWithError(("brelmora-cli search ended with " + std::to_string(rc)).c_str());
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_CliDownload1MiB)->Name("CliDownload/1MiB_unthrottled")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliDownload64KiBAt38400)
    ->Name("CliDownload/64KiB_38400baud")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_CliSearchAbsentPorts)->Name("CliSearch/256_absent_ports")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    std::string ports = "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Ports]\r\n";
    for (int n = 1; n <= 256; ++n)
        ports += "\"COM" + std::to_string(n) + "\"=\"/nonexistent/brelmora-bench/COM" + std::to_string(n) + "\"\r\n";
    ports += "\r\n";
    return BenchSupport::RunWithPrivateRegistry(argc, argv, ports, &g_folder);
}
