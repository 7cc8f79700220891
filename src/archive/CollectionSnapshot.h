// SPDX-License-Identifier: GPL-3.0-or-later
// A collection's series as plain values, to be archived on another thread
// while the document goes on changing: taken on the document's thread,
// turned back into a collection on the worker.
#pragma once

#include <string>
#include <vector>

#include "archive/SeriesState.h"

class CPaperData;

namespace Archive {

struct SCollectionSnapshot {
    std::string infoBlock;
    std::vector<SSeriesState> series;
};

SCollectionSnapshot TakeSnapshot(const CPaperData& data);
// Appends the snapshot's series to `data` (empty) with its information
// block; false when a series does not parse back.
bool RestoreSnapshot(const SCollectionSnapshot& snapshot, CPaperData& data);

// Whether downloads go into the archive: the REG_DWORD "ArchiveDownloads"
// beside "Archive" (missing: yes).
bool ArchiveDownloadsSetting();
constexpr const char16_t* kArchiveDownloadsValue = u"ArchiveDownloads";

} // namespace Archive
