// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/FileIdentity.h"
#include "support/TestEnv.h"

using Platform::IsSameFile;

TEST(FileIdentity, EverySpellingOfOneFileIsTheSameFile)
{
    namespace fs = std::filesystem;
    const std::string dir = TestEnv::TempDir() + "/identity";
    fs::create_directories(dir + "/sub");
    const std::string file = dir + "/a.vnr";
    std::ofstream(file) << "x";
    std::ofstream(dir + "/b.vnr") << "x";
    fs::create_symlink(file, dir + "/link.vnr");
    fs::create_hard_link(file, dir + "/hard.vnr");
    fs::create_directory_symlink(dir + "/sub", dir + "/sublink");

    EXPECT_TRUE(IsSameFile(file, dir + "/./sub/../a.vnr"));
    EXPECT_TRUE(IsSameFile(file, dir + "/link.vnr"));
    EXPECT_TRUE(IsSameFile(dir + "/hard.vnr", dir + "/link.vnr"));
    EXPECT_FALSE(IsSameFile(file, dir + "/b.vnr"));
    EXPECT_FALSE(IsSameFile(file, std::string()));

    // Files not created yet: the normalised names decide, through a linked
    // folder and a link to a file that does not exist yet too.
    EXPECT_TRUE(IsSameFile(dir + "/sub/new.txt", dir + "/sublink/../sub/new.txt"));
    EXPECT_TRUE(IsSameFile(dir + "/sub/new.txt", dir + "/sublink/new.txt"));
    fs::create_symlink(dir + "/sub/later.txt", dir + "/dangling");
    EXPECT_TRUE(IsSameFile(dir + "/dangling", dir + "/sub/later.txt"));
    EXPECT_FALSE(IsSameFile(dir + "/sub/new.txt", dir + "/sub/other.txt"));

    // Relative names are taken from the working folder.
    const std::string old = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(IsSameFile("a.vnr", file));
    EXPECT_TRUE(IsSameFile("new.txt", "./sub/../new.txt"));
    fs::current_path(old);
}
