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

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "platform/ComPorts.h"

extern char** environ;

namespace {

constexpr int kPort = 7;
std::string g_folder;

std::string ProgramPath()
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "brelmora-cli";
    std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/') + 1) + "brelmora-cli";
}

// Runs brelmora-cli quietly; returns its exit status (-1 when it did not run).
int RunCli(const std::vector<std::string>& args)
{
    static const std::string program = ProgramPath();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
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
