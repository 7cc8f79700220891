// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the update tests: a loopback FTP server with the program's
// update folder, a prompt that collects what the link shows, short
// time-outs and files compared byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Prompt.h"
#include "platform/Text.h"
#include "support/FtpTestServer.h"
#include "support/TestEnv.h"
#include "update/FtpLink.h"
#include "update/UpdateSelection.h"

namespace UpdateTest {

using Clock = std::chrono::steady_clock;

inline long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class CCollectingPrompt : public IPrompt {
public:
    void ShowMessage(int kind, const std::u16string& text) override
    {
        kinds.push_back(kind);
        texts.push_back(text);
    }
    Answer AskYesNoCancel(const std::u16string&) override { return answerCancel; }
    std::vector<int> kinds;
    std::vector<std::u16string> texts;
};

inline std::string Bytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(rng() & 0xFF);
    return data;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

inline std::string NewFolder(const std::string& name)
{
    const std::string path = TestEnv::TempDir() + "/" + name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

// Time-outs short enough for the tests of servers that do not answer.
inline Update::SFtpTimeouts ShortTimeouts()
{
    Update::SFtpTimeouts t;
    t.connectMs = 2000;
    t.responseMs = 1000;
    t.stallMs = 2000;
    return t;
}

inline Update::SProgramIdentity Program181()
{
    return Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0");
}

constexpr const char* kFolder = "VnUpgrade/Brelmora/";

// A server started for one test; the test fails when it cannot start.
class CServerTest : public ::testing::Test {
protected:
    void StartServer(const std::string& mode = "normal")
    {
        const std::string name = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + mode;
        m_server = std::make_unique<TestEnv::CFtpTestServer>(name, mode);
        ASSERT_TRUE(m_server->Ready()) << "the FTP test server did not start: " << m_server->Log();
    }

    Update::SFtpServer Server() const { return Update::ParseFtpServer(Platform::FromUtf8(m_server->Url())); }

    // A port on loopback where nothing listens.
    static Update::SFtpServer ClosedPort() { return Update::ParseFtpServer(u"ftp://127.0.0.1:1"); }

    std::unique_ptr<TestEnv::CFtpTestServer> m_server;
};

} // namespace UpdateTest
