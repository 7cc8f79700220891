// SPDX-License-Identifier: GPL-3.0-or-later
// The archive's two application settings (the REG_SZ "Archive" and the
// REG_DWORD "ArchiveDownloads" under the settings key) written together, and
// the check behind the settings dialog's Test button.
#pragma once

#include <cstdint>
#include <string>

namespace Archive {

// Stores the location (empty: the value is removed, the default applies)
// and the download switch; 0 or the registry's error code.  Only values that
// differ from what is stored are written.
uint32_t StoreArchiveSettings(const std::u16string& location, bool archiveDownloads);

struct SArchiveTest {
    bool works = false;
    std::u16string name;     // how the archive is named (the default file's path for "")
    std::u16string cause;    // why it does not work
};

// Opens the archive at `location` (empty: the default) read-only, creating
// and changing nothing, and reads from it once.  Blocks for as long as the
// server takes: call it on a worker.
SArchiveTest TestArchive(const std::u16string& location);

} // namespace Archive
