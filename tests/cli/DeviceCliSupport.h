// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument commands of brelmora-cli against the simulated Veltrano:
// the simulator runs in this test process on a pseudo-terminal mapped as a
// COM port in the test's registry file, which the brelmora-cli child process
// inherits through BRELMORA_REGISTRY.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "platform/ComPorts.h"
#include "sim/FaultModes.h"
#include "sim/SeriesGenerator.h"
#include "sim/VeltranoSimulator.h"
#include "support/TestEnv.h"
#include "support/SimulatedPort.h"

extern char** environ;

namespace DeviceCliTest {

struct SRun {
    int exitCode = -1;
    bool timedOut = false;
    long long ms = 0;
    std::string out;
    std::string err;
};

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs brelmora-cli with `args`; a run that outlasts `timeoutMs` is killed
// and reported as timed out (a hang is a failure, not a stuck test).
inline SRun RunCli(const std::vector<std::string>& args, int timeoutMs = 60000)
{
    static int counter = 0;
    const std::string base = TestEnv::TempDir() + "/run-" + std::to_string(++counter);
    const std::string outFile = base + ".out", errFile = base + ".err";
    const std::string program = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    SRun r;
    const auto started = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return r;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() - started > std::chrono::milliseconds(timeoutMs)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            r.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    r.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    r.exitCode = !r.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(outFile);
    r.err = ReadAll(errFile);
    return r;
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A new empty folder for one case's output files.
inline std::string NewFolder(const std::string& name)
{
    const std::string path = TestEnv::TempDir() + "/" + name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

inline std::vector<std::string> FolderEntries(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path))
        names.push_back(e.path().filename().string());
    return names;
}

class SimulatedVeltrano : public ::testing::Test {
protected:
    static constexpr int kPortNumber = 41;

    // Starts the simulated instrument with `series` generated series and
    // two names; `content` may change the content first.
    void Start(const Sim::SFaults& faults = {}, size_t series = 12, void (*content)(Sim::SSimContent&) = nullptr,
               const Sim::SLineOptions& line = {})
    {
        Stop();
        Sim::SSimContent c;
        c.series = Sim::GenerateSeries(series, 17);
        c.names = {"PM1 NP 001", "PM2 LWC"};
        if (content != nullptr)
            content(c);
        m_instrument = std::make_shared<Sim::CInstrument>(c, faults, 3);
        std::string error;
        m_sim = TestEnv::ServeOnComPort(kPortNumber, m_instrument, line, error);
        ASSERT_TRUE(m_sim) << error;
    }

    void StartWithFaults(const char* faultList)
    {
        Sim::SFaults faults;
        std::string error;
        ASSERT_TRUE(Sim::ParseFaults(faultList, faults, error)) << error;
        Start(faults);
    }

    // The port goes back to a path that does not exist, never to a device
    // file of this machine.
    void Stop() { TestEnv::StopComPortSimulator(kPortNumber, m_sim); }

    void MapPortTo(const std::string& path) { Platform::SetComPortDevicePath(kPortNumber, path); }

    void TearDown() override { Stop(); }

    static std::string Port() { return "COM41:"; }

    std::shared_ptr<Sim::CInstrument> m_instrument;
    std::unique_ptr<Sim::CVeltranoSimulator> m_sim;
};

} // namespace DeviceCliTest
