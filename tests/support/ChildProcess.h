// SPDX-License-Identifier: GPL-3.0-or-later
// A program of this build started for real as a child process: its own
// environment additions, standard error collected in a file, waited for with
// a deadline and stopped with a signal when a test is done with it.
#pragma once

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace TestEnv {

class CChildProcess {
public:
    CChildProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::vector<std::pair<std::string, std::string>>& env, const std::string& stderrFile)
        : m_stderrFile(stderrFile)
    {
        m_pid = ::fork();
        if (m_pid != 0)
            return;
        for (const auto& [name, value] : env)
            ::setenv(name.c_str(), value.c_str(), 1);
        if (FILE* err = std::freopen(stderrFile.c_str(), "w", stderr); err == nullptr)
            ::_exit(126);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ~CChildProcess() { Stop(SIGKILL); }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // True while the child runs; after it ended, Status() tells how.
    bool Running()
    {
        if (m_pid <= 0 || m_ended)
            return false;
        if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
            m_ended = true;
        return !m_ended;
    }

    // Waits up to `ms` for the child to end; false when it still runs.
    bool WaitForExit(int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (Running()) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Waits up to `ms` until standard error holds `text`.
    bool WaitForStderr(const std::string& text, int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (Stderr().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Sends `signal` and waits for the end.
    void Stop(int signal)
    {
        if (!Running())
            return;
        ::kill(m_pid, signal);
        if (!WaitForExit(5000)) {
            ::kill(m_pid, SIGKILL);
            WaitForExit(5000);
        }
    }

    // Sends `signal` without waiting; false when the child has ended.
    bool Signal(int signal) { return Running() && ::kill(m_pid, signal) == 0; }

    int Status() const { return m_status; }
    bool Ended() const { return m_ended; }

    std::string Stderr() const
    {
        std::ifstream in(m_stderrFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_ended = false;
    std::string m_stderrFile;
};

} // namespace TestEnv
