// The version check a language library Brelmora_<Lang>.so must pass before
// the program uses it: its product version must have the program's major
// and minor number.
#pragma once

#include <string>

#include "update/FileVersionInfo.h"
#include "platform/Version.h"

// The product version a library declares: its fixed record, or when it has
// none, its "ProductVersion" string.  0 when neither can be read.
CVersion GetLanguageLibraryVersion(const CFileVersionInfo& info);

// True when `path` carries a version record whose product version has the
// same major and minor number as `programVersion` (a valid version).
bool IsAcceptedLanguageLibrary(const std::u16string& path, const CVersion& programVersion);

// The same check on a record already read.
bool IsAcceptedLanguageLibrary(const CFileVersionInfo& info, const CVersion& programVersion);
