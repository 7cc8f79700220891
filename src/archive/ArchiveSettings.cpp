// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchiveSettings.h"

#include "archive/ArchiveError.h"
#include "archive/ArchiveLocation.h"
#include "archive/CollectionSnapshot.h"
#include "archive/LabArchive.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace Archive {

uint32_t StoreArchiveSettings(const std::u16string& location, bool archiveDownloads)
{
    if (location == ArchiveSetting() && archiveDownloads == ArchiveDownloadsSetting())
        return 0;
    Platform::CRegKey key;
    if (const uint32_t error = key.Create(kSettingsKey))
        return error;
    if (location != ArchiveSetting()) {
        if (location.empty()) {
            if (const uint32_t error = key.DeleteValue(kArchiveValue))
                return error;
        } else if (const uint32_t error = key.SetString(kArchiveValue, location)) {
            return error;
        }
    }
    if (archiveDownloads != ArchiveDownloadsSetting())
        if (const uint32_t error = key.SetDword(kArchiveDownloadsValue, archiveDownloads ? 1 : 0))
            return error;
    return 0;
}

SArchiveTest TestArchive(const std::u16string& location)
{
    SArchiveTest result;
    try {
        const SArchiveLocation where = location.empty() ? DefaultArchiveLocation() : ParseArchiveLocation(location, kArchiveValue);
        result.name = where.display;
        auto archive = CLabArchive::Open(where, CLabArchive::EMode::Read);
        SFindFilter one;
        one.limit = 1;
        archive->Find(one, false);
        result.works = true;
    } catch (const CArchiveError& e) {
        result.cause = Platform::FromUtf8(e.what());
    } catch (const std::exception& e) {
        result.cause = Platform::FromUtf8(e.what());
    }
    return result;
}

} // namespace Archive
