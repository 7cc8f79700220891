// SPDX-License-Identifier: GPL-3.0-or-later
// The version check a language library Brelmora_<Lang>.so must pass before
// the program uses it: its product version must have the program's major
// and minor number.
#pragma once

#include <memory>
#include <string>

#include "update/FileVersionInfo.h"
#include "platform/StringTable.h"
#include "platform/Version.h"

// The product version a library declares: its fixed record, or when it has
// none, its "ProductVersion" string.  0 when neither can be read.
CVersion GetLanguageLibraryVersion(const CFileVersionInfo& info);

// True when `path` carries a version record whose product version has the
// same major and minor number as `programVersion` (a valid version).
bool IsAcceptedLanguageLibrary(const std::u16string& path, const CVersion& programVersion);

// The same check on a record already read.
bool IsAcceptedLanguageLibrary(const CFileVersionInfo& info, const CVersion& programVersion);

// True when a "LanguageFile" value names a language library rather than the
// program: its file name carries ".so" after the first character.
bool NamesLanguageLibrary(const std::u16string& languageFile);

// What a "LanguageFile" value gives a program whose file is `programPath`:
// its built-in texts (the value names no library), a library's string table
// with its version record, or nothing usable (a library that is missing,
// damaged or of another version; the caller keeps the texts it has).  The
// desktop program and the command line choose through this one rule, so
// both write the same texts.
struct SLanguageChoice {
    enum EKind { builtIn, library, unusable };
    EKind kind = builtIn;
    CFileVersionInfo info;                               // the library's record
    std::shared_ptr<const Platform::StringMap> table;    // the library's texts
};
SLanguageChoice ChooseLanguage(const std::u16string& languageFile, const std::u16string& programPath);
