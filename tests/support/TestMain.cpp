// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of every test program.
//
// Each test process gets a registry file of its own in a fresh temporary
// folder, so no test reads or writes the user's settings.  Every COM number is
// mapped to a path that does not exist: a test that forgets to map a port to
// its pseudo-terminal fails to open it instead of opening a real serial port
// of this machine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "support/TestEnv.h"

namespace {

std::string g_tempDir;

void PrepareRegistry()
{
    char pattern[] = "/tmp/brelmora-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    g_tempDir = dir;
    const std::string path = g_tempDir + "/registry.reg";
    std::ofstream out(path, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n";
    out << "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Ports]\r\n";
    for (int n = 1; n <= 256; ++n)
        out << "\"COM" << n << "\"=\"/nonexistent/brelmora-test/COM" << n << "\"\r\n";
    out << "\r\n";
    out.close();
    setenv("BRELMORA_REGISTRY", path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", g_tempDir.c_str(), 1);
    // Downloads in the desktop program go into the default archive: the
    // test's own, never the user's.
    setenv("XDG_DATA_HOME", g_tempDir.c_str(), 1);
}

} // namespace

namespace TestEnv {
const std::string& TempDir() { return g_tempDir; }
} // namespace TestEnv

int main(int argc, char** argv)
{
    PrepareRegistry();
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::string cmd = "rm -rf '" + g_tempDir + "'";
    if (std::system(cmd.c_str()) != 0) {
        // Leaving a temporary folder behind is not a test failure.
    }
    return rc;
}
