// SPDX-License-Identifier: GPL-3.0-or-later
// Setup shared by the benchmark programs: random series in the instrument's
// download layout, documents holding them, and the instrument simulator
// served on a pseudo-terminal.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <climits>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "data/PaperDoc.h"
#include "platform/ComPorts.h"
#include "sim/SeriesGenerator.h"
#include "sim/VeltranoSimulator.h"

namespace BenchSupport {

// The path of `name`, a program built beside this benchmark.
inline std::string SiblingProgram(const std::string& name)
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return name;
    std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/') + 1) + name;
}

// Runs `program` with `args`, its output thrown away; its exit status, or -1
// when it did not run or did not exit.
inline int RunQuietly(const std::string& program, const std::vector<std::string>& args)
{
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

// Bytes of one downloaded series with `impacts` impacts.
inline size_t SeriesSize(int impacts)
{
    return 27 + 4 * static_cast<size_t>(impacts);
}

// A series' head: a random id "ROLL-nnnnnnnn", random counter and date, the
// impact count.
inline void AppendSeriesHead(std::vector<uint8_t>& bytes, std::mt19937& random, int impacts)
{
    char id[17] = {};
    std::snprintf(id, sizeof id, "ROLL-%08u", static_cast<unsigned>(random() % 100000000u));
    bytes.insert(bytes.end(), id, id + 16);
    const uint16_t counter = static_cast<uint16_t>(random());
    const uint32_t date = static_cast<uint32_t>(random());
    bytes.push_back(static_cast<uint8_t>(counter));
    bytes.push_back(static_cast<uint8_t>(counter >> 8));
    for (int k = 0; k < 4; ++k)
        bytes.push_back(static_cast<uint8_t>(date >> (8 * k)));
    bytes.push_back(static_cast<uint8_t>(impacts));
}

// The lower and upper limit and the two reserved bytes after the head.
inline void AppendLimits(std::vector<uint8_t>& bytes, uint8_t lower, uint8_t upper)
{
    bytes.push_back(lower);
    bytes.push_back(upper);
    bytes.push_back(0);
    bytes.push_back(0);
}

inline void AppendImpact(std::vector<uint8_t>& bytes, uint8_t value, uint16_t energy)
{
    bytes.push_back(value);
    bytes.push_back(static_cast<uint8_t>(energy));
    bytes.push_back(static_cast<uint8_t>(energy >> 8));
    bytes.push_back(0);
}

// The download bytes of `count` random series of `impacts` impacts each:
// random limits (lower 0..59, upper 120..199), values 40..179, energies
// 500..3499.
inline std::vector<uint8_t> MakeRandomDownload(int count, int impacts, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(count) * SeriesSize(impacts));
    for (int i = 0; i < count; ++i) {
        AppendSeriesHead(bytes, random, impacts);
        const uint8_t lower = static_cast<uint8_t>(random() % 60);
        const uint8_t upper = static_cast<uint8_t>(120 + random() % 80);
        AppendLimits(bytes, lower, upper);
        for (int k = 0; k < impacts; ++k) {
            const uint16_t energy = static_cast<uint16_t>(500 + random() % 3000);
            const uint8_t value = static_cast<uint8_t>(40 + random() % 140);
            AppendImpact(bytes, value, energy);
        }
    }
    return bytes;
}

// A 128-byte information block with the instrument's name at 2, the serial
// number at 34 and the firmware at 48.
inline std::vector<uint8_t> MakeInfoBlock(const std::string& serial, const std::string& name = {},
                                          const std::string& firmware = {})
{
    std::vector<uint8_t> info(128, 0);
    std::copy(name.begin(), name.end(), info.begin() + 2);
    std::copy(serial.begin(), serial.end(), info.begin() + 34);
    std::copy(firmware.begin(), firmware.end(), info.begin() + 48);
    return info;
}

// Stores `info` and `series` in `doc` as a download; every tenth of the
// first `commented` series gets a comment.
inline void StoreDownload(CPaperDoc& doc, const std::vector<uint8_t>& info, const std::vector<uint8_t>& series,
                          int commented)
{
    doc.StoreDownloadedInfo(info.data(), info.size());
    doc.StoreDownloadedSeries(series.data(), series.size());
    for (int i = 0; i < commented; i += 10)
        doc.SetComment(i, u"checked by the lab");
}

// The instrument simulator holding at least `seriesBytes` bytes of series,
// paced to `baud` (0: as fast as the line takes).
class CPtySimulator {
public:
    CPtySimulator(size_t seriesBytes, uint32_t baud) : CPtySimulator(MakeContent(seriesBytes), baud) {}

    // Serves the simulator on a pseudo-terminal and maps COM`port` to it.
    // When that fails the benchmark is skipped and false returned.
    bool Serve(benchmark::State& state, int port)
    {
        std::string error;
        const std::string path = m_sim.ServePty(&error);
        if (path.empty() || Platform::SetComPortDevicePath(port, path) != 0) {
            state.SkipWithError(("no pseudo-terminal: " + error).c_str());
            return false;
        }
        return true;
    }

    // The size of the series data the instrument sends.
    size_t SeriesBytes() const { return m_size; }
    void Stop() { m_sim.Stop(); }

private:
    CPtySimulator(const Sim::SSimContent& content, uint32_t baud)
        : m_size(Sim::BuildSeriesBytes(content.series).size()),
          m_sim(std::make_shared<Sim::CInstrument>(content), Options(baud))
    {
    }

    static Sim::SSimContent MakeContent(size_t seriesBytes)
    {
        Sim::SSimContent content;
        Sim::GrowSeriesBeyond(content.series, seriesBytes, 21);   // at least `seriesBytes`
        return content;
    }

    static Sim::SLineOptions Options(uint32_t baud)
    {
        Sim::SLineOptions options;
        options.baud = baud;
        return options;
    }

    size_t m_size;
    Sim::CVeltranoSimulator m_sim;
};

// Runs the benchmarks named on the command line with a registry file of
// their own in a new temporary folder, which is also the configuration
// folder; `registryBody` follows the registry file's header.  `folder`
// receives the folder's path before the runs.  Both are removed at the end.
inline int RunWithPrivateRegistry(int argc, char** argv, const std::string& registryBody,
                                  std::string* folder = nullptr)
{
    char pattern[] = "/tmp/brelmora-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    if (folder != nullptr)
        *folder = dir;
    const std::string registry = std::string(dir) + "/registry.reg";
    std::ofstream(registry, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n" << registryBody;
    setenv("BRELMORA_REGISTRY", registry.c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir, 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::remove(registry.c_str());
    rmdir(dir);
    return 0;
}

} // namespace BenchSupport
