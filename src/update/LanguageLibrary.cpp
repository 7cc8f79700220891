// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/LanguageLibrary.h"

#include "platform/LanguageTable.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"

CVersion GetLanguageLibraryVersion(const CFileVersionInfo& info)
{
    if (info.GetFixedFileInfo().dwSignature == Platform::VS_FFI_SIGNATURE)
        return info.GetFixedProductVersion();
    return CVersion(info.GetProductVersion());
}

bool IsAcceptedLanguageLibrary(const CFileVersionInfo& info, const CVersion& programVersion)
{
    const CVersion library = GetLanguageLibraryVersion(info);
    return programVersion.IsValid() && library.IsValid() && library.GetPart(0) == programVersion.GetPart(0) &&
           library.GetPart(1) == programVersion.GetPart(1);
}

bool IsAcceptedLanguageLibrary(const std::u16string& path, const CVersion& programVersion)
{
    CFileVersionInfo info;
    return info.Read(path) && IsAcceptedLanguageLibrary(info, programVersion);
}

bool NamesLanguageLibrary(const std::u16string& languageFile)
{
    const std::u16string name = CSettingsStore::FileNameOf(languageFile);
    if (name.size() < 2)
        return false;
    for (size_t i = 1; i + 3 <= name.size(); ++i) {
        if (Platform::EqualsNoCase(std::u16string_view(name).substr(i, 3), u".so"))
            return true;
    }
    return false;
}

SLanguageChoice ChooseLanguage(const std::u16string& languageFile, const std::u16string& programPath)
{
    SLanguageChoice choice;
    if (!NamesLanguageLibrary(languageFile))
        return choice;
    choice.kind = SLanguageChoice::unusable;
    CFileVersionInfo program;
    if (!choice.info.Read(languageFile) || !program.Read(programPath) ||
        !IsAcceptedLanguageLibrary(choice.info, GetLanguageLibraryVersion(program)))
        return choice;
    choice.table = Platform::LoadLanguageTable(languageFile);
    if (choice.table)
        choice.kind = SLanguageChoice::library;
    return choice;
}
