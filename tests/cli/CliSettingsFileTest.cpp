// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli with a settings file it cannot use: one warning naming the
// file on standard error, and the command still does its work.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

#include "support/TestEnv.h"

namespace {

TEST(CliSettingsFile, ADamagedSettingsFileIsReportedOnceByName)
{
    const std::string registry = TestEnv::TempDir() + "/damaged-settings.reg";
    std::ofstream(registry) << "Windows Registry Editor Version 5.00\r\n\r\n[NOT_A_ROOT\\x]\r\n";
    const std::string err = TestEnv::TempDir() + "/damaged-settings.err";
    const std::string cmd = "BRELMORA_REGISTRY='" + registry + "' " + BRELMORA_BINARY_DIR + "/bin/brelmora-cli info " +
                            BRELMORA_SOURCE_DIR + "/examples/sample.vnr >/dev/null 2>'" + err + "'";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(err);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t first = text.find(registry);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(registry, first + 1), std::string::npos) << text;
}

} // namespace
