// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LanguageLibraries.h"

#include <algorithm>
#include <dirent.h>

#include "app/AppStrings.h"
#include "platform/SettingsStore.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/LanguageLibrary.h"

CVersion GetProgramVersion(const CFileVersionInfo& programInfo)
{
    return GetLanguageLibraryVersion(programInfo);
}

bool MatchesFilePattern(const std::u16string& pattern, const std::u16string& name)
{
    // Iterative wildcard match with one backtracking point.
    size_t p = 0, n = 0, star = std::u16string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = n;
        } else if (star != std::u16string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

std::vector<std::u16string> FindLanguageLibraryFiles(const std::u16string& folder)
{
    std::vector<std::u16string> names;
    const std::u16string pattern = Platform::LoadString(AppStrings::kLanguagePattern);
    const std::string dirPath = Platform::ToUtf8(folder.empty() ? u"." : folder);
    DIR* dir = ::opendir(dirPath.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::u16string name = Platform::FromUtf8(entry->d_name);
        if (!MatchesFilePattern(pattern, name))
            continue;
        if (Platform::IsRegularFile(dirPath + "/" + entry->d_name))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<SLanguageEntry> ListLanguages(const std::u16string& programPath)
{
    std::vector<SLanguageEntry> list;
    SLanguageEntry program;
    program.path = programPath;
    program.fileName = CSettingsStore::FileNameOf(programPath);
    program.info.Read(programPath);
    const CVersion programVersion = GetProgramVersion(program.info);
    list.push_back(program);

    const std::u16string folder = CSettingsStore::FolderOf(programPath);
    const std::u16string separator = Platform::LoadString(AppStrings::kPathSeparator);
    for (const std::u16string& name : FindLanguageLibraryFiles(folder)) {
        SLanguageEntry entry;
        entry.path = folder + separator + name;
        entry.fileName = name;
        if (!entry.info.Read(entry.path) || !IsAcceptedLanguageLibrary(entry.info, programVersion))
            continue;
        list.push_back(entry);
    }
    return list;
}
