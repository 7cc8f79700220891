// SPDX-License-Identifier: GPL-3.0-or-later
// The "Pfad" folder check: only a folder whose mode has no write bit at all
// counts as read-only, whoever runs the program.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

constexpr uint32_t kBadFolder = 1004;
constexpr uint32_t kReadOnly = 1005;

uint32_t Problem(const std::string& folder)
{
    return CSettingsStore::UpgradeFolderProblem(Platform::FromUtf8(folder));
}

} // namespace

TEST(UpgradeFolder, OnlyAModeWithoutWriteBitsIsReadOnly)
{
    const std::string base = TestEnv::TempDir() + "/pfad-modes";
    ASSERT_EQ(::mkdir(base.c_str(), 0755), 0);
    const struct {
        mode_t mode;
        uint32_t expected;
    } cases[] = {
        {0555, kReadOnly}, {0500, kReadOnly}, {0000, kReadOnly},
        {0755, 0},         {0200, 0},         {0575, 0},   // a write bit for the group only
        {0557, 0},                                         // for others only
    };
    for (const auto& c : cases) {
        const std::string folder = base + "/m" + std::to_string(c.mode);
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
        EXPECT_EQ(Problem(folder), c.expected) << std::oct << c.mode;
        ::chmod(folder.c_str(), 0700);
    }
    EXPECT_EQ(Problem(base + "/missing"), kBadFolder);
}

TEST(UpgradeFolder, ASystemFolderOfAnotherUserGivesNoWarning)
{
    // /usr belongs to root with mode 0755, as the folder of an installed
    // program does: a user who cannot write it gets no warning at start.
    struct stat st {};
    ASSERT_EQ(::stat("/usr", &st), 0);
    ASSERT_NE(st.st_mode & S_IWUSR, 0u);
    if (::geteuid() != 0) {
        EXPECT_EQ(Problem("/usr"), 0u);
        return;
    }
    // As root, ask as the unprivileged user "nobody".
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(::access("/usr", W_OK) != 0 && Problem("/usr") == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
