// SPDX-License-Identifier: GPL-3.0-or-later
// veltrano-sim stopped while it waits for the settings file's lock, which
// another program holds: SIGTERM ends it at once, not after the wait.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "support/ChildProcess.h"
#include "support/TestEnv.h"

namespace {

TEST(SimStop, SigtermEndsAWaitForTheSettingsLock)
{
    const char* registry = std::getenv("BRELMORA_REGISTRY");
    ASSERT_NE(registry, nullptr);
    const int lock = ::open((std::string(registry) + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    TestEnv::CChildProcess sim(std::string(BRELMORA_BINARY_DIR) + "/bin/veltrano-sim", {"--com", "7"}, {},
                               TestEnv::TempDir() + "/sim-stop.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(sim.Running()) << sim.Stderr();   // waiting for the lock
    const auto start = std::chrono::steady_clock::now();
    sim.Stop(SIGTERM);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    ASSERT_TRUE(sim.Ended());
    // It ended on its own, saying why, rather than being killed.
    EXPECT_TRUE(WIFEXITED(sim.Status())) << sim.Status();
    EXPECT_NE(sim.Stderr().find("COM"), std::string::npos) << sim.Stderr();
    ::close(lock);
}

} // namespace
