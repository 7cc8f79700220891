// SPDX-License-Identifier: GPL-3.0-or-later
// Where file dialogs open: the project's folder, else the folder last used,
// else the home folder; folders that are gone are skipped.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "RegistryTestSupport.h"
#include "platform/DialogFolder.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

using Platform::FromUtf8;

TEST(DialogFolder, ProjectFolderThenLastUsedThenHome)
{
    ScopedRegistryFile registry("dialog-folder.reg");
    const std::string base = TestEnv::TempDir() + "/dialog-folder";
    const std::string projects = base + "/projects";
    const std::string exports = base + "/exports";
    const std::string home = base + "/home";
    for (const std::string& dir : {base, projects, exports, home})
        ::mkdir(dir.c_str(), 0755);
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", home.c_str(), 1);

    // Nothing known yet: the home folder.
    EXPECT_EQ(Platform::DialogStartFolder(u""), FromUtf8(home));
    // A project opens the dialog in its folder, even when another was used last.
    Platform::RememberDialogFolder(FromUtf8(exports + "/batch.txt"));
    EXPECT_EQ(Platform::DialogStartFolder(FromUtf8(projects + "/rolls.vnr")), FromUtf8(projects));
    // Without a project: the folder used last, remembered in the settings.
    EXPECT_EQ(Platform::DialogStartFolder(u""), FromUtf8(exports));
    EXPECT_NE(registry.Read().find(std::string("L\0a\0s\0t\0F\0o\0l\0d\0e\0r", 19)), std::string::npos);
    // A project whose folder is gone, and a remembered folder that is gone.
    EXPECT_EQ(Platform::DialogStartFolder(FromUtf8(base + "/gone/rolls.vnr")), FromUtf8(exports));
    ::rmdir(exports.c_str());
    EXPECT_EQ(Platform::DialogStartFolder(u""), FromUtf8(home));
    // A file picked in a folder that does not exist is not remembered.
    Platform::RememberDialogFolder(FromUtf8(base + "/missing/x.vnr"));
    EXPECT_EQ(Platform::DialogStartFolder(u""), FromUtf8(home));

    if (oldHome != nullptr)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
}
