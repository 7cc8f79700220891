// SPDX-License-Identifier: GPL-3.0-or-later
// The languages the program offers: its own built-in texts and every
// language library "Brelmora_*.so" in the program's folder whose product
// version has the program's major and minor number.
#pragma once

#include <string>
#include <vector>

#include "update/FileVersionInfo.h"
#include "update/LanguageLibrary.h"
#include "platform/Version.h"

struct SLanguageEntry {
    std::u16string path;       // the program file, or the library's full path
    std::u16string fileName;   // the file's name in the folder
    CFileVersionInfo info;     // its version record ("InternalName" is the display name)
};

// The program's own product version: the fixed record, else the
// "ProductVersion" string.
CVersion GetProgramVersion(const CFileVersionInfo& programInfo);

// The library files in `folder` that match the pattern (string 651), sorted
// by name so the list does not depend on the file system's order.
std::vector<std::u16string> FindLanguageLibraryFiles(const std::u16string& folder);

// Entry 0 is the program file itself; then every accepted library.
std::vector<SLanguageEntry> ListLanguages(const std::u16string& programPath);

// True when `pattern` (with '*' and '?') matches `name`.
bool MatchesFilePattern(const std::u16string& pattern, const std::u16string& name);
