// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/CollectionSnapshot.h"

#include "archive/ArchiveLocation.h"
#include "data/PaperData.h"
#include "data/SeriesRecords.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace Archive {

SCollectionSnapshot TakeSnapshot(const CPaperData& data)
{
    SCollectionSnapshot snapshot;
    snapshot.series = MakeSeriesStates(data);
    if (!snapshot.series.empty())
        snapshot.infoBlock = snapshot.series.front().infoBlock;
    return snapshot;
}

bool RestoreSnapshot(const SCollectionSnapshot& snapshot, CPaperData& data)
{
    if (snapshot.infoBlock.size() == SeriesBytes::kInfoSize)
        data.SetInfoBlock(reinterpret_cast<const uint8_t*>(snapshot.infoBlock.data()), SeriesBytes::kInfoSize);
    for (const SSeriesState& s : snapshot.series) {
        SArchivedRevision r;
        r.seriesBytes = s.seriesBytes;
        r.rollId = Platform::FromUtf8(s.rollId);
        r.comment = Platform::FromUtf8(s.comment);
        r.deviceTexts = s.deviceTexts.empty() ? InfoBlockTexts(s.infoBlock) : DecodeDeviceTexts(s.deviceTexts);
        if (!AppendRevision(data, r))
            return false;
    }
    return true;
}

bool ArchiveDownloadsSetting()
{
    Platform::CRegKey key;
    if (key.Open(kSettingsKey, Platform::CRegKey::Read) != 0)
        return true;
    uint32_t value = 1;
    if (key.QueryDword(kArchiveDownloadsValue, value) != 0)
        return true;
    return value != 0;
}

} // namespace Archive
