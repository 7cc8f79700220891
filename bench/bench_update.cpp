// SPDX-License-Identifier: GPL-3.0-or-later
// The update check's speed against the loopback FTP server of the tests
// (tests/support/FtpTestServer.py): a 25 MB installer downloaded through the
// wizard's step logic (chunks of size / 10000, at least 4 KiB), and what
// starting the background check costs the thread that starts it while the
// server never answers.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/Text.h"
#include "update/InstallerDownload.h"
#include "update/UpdateCheck.h"

namespace {

// The test server in one of its modes, in a temporary folder of its own.
class CServer {
public:
    explicit CServer(const std::string& mode, size_t installerBytes)
    {
        char pattern[] = "/tmp/brelmora-bench-ftp-XXXXXX";
        m_root = ::mkdtemp(pattern);
        const std::string folder = m_root + "/files/VnUpgrade/Brelmora";
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/Setup_V_1_9_0_0.exe", std::ios::binary) << std::string(installerBytes, 'i');
        const std::string portFile = m_root + "/port";
        const std::string script = std::string(BRELMORA_SOURCE_DIR) + "/tests/support/FtpTestServer.py";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execl("/usr/bin/python3", "python3", script.c_str(), "--root", (m_root + "/files").c_str(),
                    "--port-file", portFile.c_str(), "--mode", mode.c_str(), "--lifetime", "600", nullptr);
            ::_exit(127);
        }
        for (int i = 0; i < 1000 && m_port == 0; ++i) {
            std::ifstream in(portFile);
            in >> m_port;
            if (m_port == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~CServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        std::filesystem::remove_all(m_root);
    }
    Update::SFtpServer Server() const
    {
        return Update::ParseFtpServer(Platform::FromUtf8("ftp://127.0.0.1:" + std::to_string(m_port)));
    }
    bool Ready() const { return m_port > 0; }
    const std::string& Root() const { return m_root; }

private:
    std::string m_root;
    pid_t m_pid = -1;
    int m_port = 0;
};

const Update::SProgramIdentity kProgram = Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0");

void BM_InstallerDownload25MB(benchmark::State& state)
{
    CServer server("normal", 25u << 20);
    if (!server.Ready()) {
        state.SkipWithError("the FTP test server did not start");
        return;
    }
    const std::string target = server.Root() + "/Setup_V_1_9_0_0.exe";
    size_t steps = 0;
    for (auto _ : state) {
        Update::CFtpLink link(server.Server());
        link.SetShowErrors(false);
        Update::SInstallerChoice choice;
        if (!Update::ConnectForUpdate(link, kProgram) || !Update::SearchInstaller(link, kProgram, choice)) {
            state.SkipWithError("no connection");
            return;
        }
        Update::CInstallerDownload download(link, choice);
        if (!download.CreateLocal(Platform::FromUtf8(target)) || !download.Open()) {
            state.SkipWithError("the download did not start");
            return;
        }
        Update::CInstallerDownload::EStep step = Update::CInstallerDownload::stepRunning;
        steps = 0;
        while (step == Update::CInstallerDownload::stepRunning) {
            step = download.Step(20);
            // What the page does after each step.
            benchmark::DoNotOptimize(download.Percent());
            benchmark::DoNotOptimize(download.AmountText());
            ++steps;
        }
        if (step != Update::CInstallerDownload::stepComplete) {
            state.SkipWithError("the download failed");
            return;
        }
    }
    state.counters["steps"] = static_cast<double>(steps);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (25 << 20));
}
BENCHMARK(BM_InstallerDownload25MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The start-up's share of the background check: starting its thread.  The
// server never answers, so the check itself would take its time-outs.
void BM_BackgroundCheckStart(benchmark::State& state)
{
    CServer server("silent", 0);
    if (!server.Ready()) {
        state.SkipWithError("the FTP test server did not start");
        return;
    }
    for (auto _ : state) {
        Update::CUpdateCheck check(kProgram, server.Server());
        const auto start = std::chrono::steady_clock::now();
        check.Start(1041, [](uint32_t, uint64_t) {});
        const auto started = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(started - start).count());
        // Ending it (closing the program) is not start-up time.
    }
}
BENCHMARK(BM_BackgroundCheckStart)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(50);

} // namespace

BENCHMARK_MAIN();
