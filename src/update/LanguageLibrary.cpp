#include "update/LanguageLibrary.h"

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
