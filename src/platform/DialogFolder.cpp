// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DialogFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/SettingsStrings.h"
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Platform {

namespace {

constexpr char16_t kLastFolder[] = u"LastFolder";

bool IsFolder(const std::u16string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::u16string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return FromUtf8(home);
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return FromUtf8(pw->pw_dir);
    return u"/";
}

} // namespace

std::u16string DialogStartFolder(const std::u16string& projectPath)
{
    std::u16string folder = CSettingsStore::FolderOf(projectPath);
    if (!projectPath.empty() && folder.empty() && projectPath.front() != u'/') {
        // A project named without a folder lies in the working folder.
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) != nullptr)
            folder = FromUtf8(cwd);
    }
    if (IsFolder(folder))
        return folder;
    CRegKey key;
    std::u16string last;
    if (key.Open(LoadString(SettingsStrings::kSettingsKey), CRegKey::Read) == ERROR_SUCCESS &&
        key.QueryString(kLastFolder, last) == ERROR_SUCCESS && IsFolder(last))
        return last;
    return HomeFolder();
}

void RememberDialogFolder(const std::u16string& chosenPath)
{
    const std::u16string folder = CSettingsStore::FolderOf(chosenPath);
    if (!IsFolder(folder))
        return;
    CRegKey key;
    std::u16string stored;
    if (key.Create(LoadString(SettingsStrings::kSettingsKey)) != ERROR_SUCCESS)
        return;
    // Nothing is written when the folder is the one already remembered.
    if (key.QueryString(kLastFolder, stored) == ERROR_SUCCESS && stored == folder)
        return;
    key.SetString(kLastFolder, folder);
}

} // namespace Platform
