// SPDX-License-Identifier: GPL-3.0-or-later
// A real FTP server on 127.0.0.1 for the update tests: tests/support/
// FtpTestServer.py (pyftpdlib under /usr/bin/python3) serving a folder of
// the test's own with the download account, in one of its modes ("normal",
// "short", "junk", "slow", "silent").  It is stopped when the object goes.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/TestEnv.h"

namespace TestEnv {

class CFtpTestServer {
public:
    explicit CFtpTestServer(const std::string& name, const std::string& mode = "normal")
        : m_root(TempDir() + "/ftp-" + name)
    {
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root + "/files");
        const std::string portFile = m_root + "/port";
        const std::string script = std::string(BRELMORA_SOURCE_DIR) + "/tests/support/FtpTestServer.py";
        m_process = std::make_unique<CChildProcess>(
            "/usr/bin/python3",
            std::vector<std::string>{script, "--root", m_root + "/files", "--port-file", portFile, "--mode", mode,
                                     "--lifetime", "600"},
            std::vector<std::pair<std::string, std::string>>{}, m_root + "/server.log");
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end && m_process->Running()) {
            std::ifstream in(portFile);
            int port = 0;
            if (in >> port && port > 0) {
                m_port = port;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // True when the server listens; else Log() says why.
    bool Ready() const { return m_port > 0; }
    int Port() const { return m_port; }
    std::string Url() const { return "ftp://127.0.0.1:" + std::to_string(m_port); }
    std::string Log() const { return m_process ? m_process->Stderr() : std::string(); }

    // The folder the account sees.
    std::string Root() const { return m_root + "/files"; }

    // Writes a file below the served folder (folders are made as needed).
    void Put(const std::string& relative, const std::string& content) const
    {
        const std::filesystem::path path = std::filesystem::path(Root()) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << content;
    }
    void MakeFolder(const std::string& relative) const
    {
        std::filesystem::create_directories(std::filesystem::path(Root()) / relative);
    }

private:
    std::string m_root;
    std::unique_ptr<CChildProcess> m_process;
    int m_port = 0;
};

} // namespace TestEnv
