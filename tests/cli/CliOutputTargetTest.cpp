// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli's outputs against the program's own files and links: the
// settings file and its lock are never replaced, a link to nothing and a
// loop of links are refused with the reason, not "the device does not work".
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "DeviceCliSupport.h"

using namespace DeviceCliTest;

namespace {

std::string Sample()
{
    return std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";
}

} // namespace

TEST(CliOutputTarget, TheSettingsFileAndItsLockAreNeverAnOutput)
{
    const std::string registry = std::getenv("BRELMORA_REGISTRY");
    const std::string before = ReadAll(registry);
    for (const std::string& target : {registry, registry + ".lock"}) {
        for (const std::vector<std::string>& args : {std::vector<std::string>{"export", Sample(), target},
                                                     std::vector<std::string>{"export", Sample(), target, "--csv"}}) {
            const SRun r = RunCli(args);
            EXPECT_EQ(r.exitCode, 1) << target << r.err;
            EXPECT_TRUE(Contains(r.err, target + ": this is the program's settings file or its lock file")) << r.err;
        }
    }
    EXPECT_EQ(ReadAll(registry), before);
}

TEST(CliOutputTarget, LinksToNothingAndLoopsOfLinksAreSaidToBeSo)
{
    const std::string dir = NewFolder("output-links");
    std::filesystem::create_symlink(dir + "/nothing.csv", dir + "/dangling.csv");
    std::filesystem::create_symlink(dir + "/loop-b.csv", dir + "/loop-a.csv");
    std::filesystem::create_symlink(dir + "/loop-a.csv", dir + "/loop-b.csv");
    for (const char* name : {"/dangling.csv", "/loop-a.csv"}) {
        const SRun r = RunCli({"export", Sample(), dir + name, "--csv"});
        EXPECT_EQ(r.exitCode, 3) << r.err;
        EXPECT_TRUE(Contains(r.err, "The symbolic link leads to nothing or round in a circle.")) << r.err;
        EXPECT_FALSE(Contains(r.err, "The device does not work.")) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/nothing.csv"));
}
