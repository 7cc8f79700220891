// SPDX-License-Identifier: GPL-3.0-or-later
// One series of a collection as the archive stores it: its identity, its
// content (in the project file's own byte layout) with a digest, and the
// statistics that find and stats use without decoding impacts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/ArchiveRecords.h"

class CPaperData;

namespace Archive {

struct SSeriesState {
    // Identity: serial, counter, time stamp, digest of the impacts.
    std::string serial;
    uint16_t counter = 0;
    uint32_t dateTime = 0;
    int64_t impactsDigest = 0;
    // Content.
    int64_t contentDigest = 0;
    std::string rollId, rollIdFolded, comment;
    uint8_t rFlag = 0, factor = 0, lowerLimit = 0, upperLimit = 0;
    int impactCount = 0;
    std::string seriesBytes;    // head (29 bytes) and impacts (4 bytes each)
    std::string deviceTexts;    // empty: those of the information block
    std::string infoBlock;      // 128 bytes
    int64_t infoDigest = 0;
    std::optional<double> mean, standardDeviation, covPercent, minimum, maximum;
    int64_t outsideLimits = 0;
};

// Every series of `data`, in its order.
std::vector<SSeriesState> MakeSeriesStates(const CPaperData& data);

// The first 8 bytes of the SHA-256 of `bytes`, as a signed number.
int64_t Digest64(const std::string& bytes);

// A roll ID for the case-insensitive search (UTF-8): A-Z and the Latin-1
// capitals to small letters, as the instrument's 8-bit roll IDs need.
std::string FoldRollId(const std::u16string& text);
// True when `pattern` has '*' or '?'.
bool HasWildcards(const std::u16string& pattern);
// The folded pattern as a LIKE pattern with '\' as the escape character.
std::string LikePattern(const std::u16string& pattern);

// The five device texts as stored (each a 32-bit length and UTF-8).
std::string EncodeDeviceTexts(const std::vector<std::u16string>& texts);
std::vector<std::u16string> DecodeDeviceTexts(const std::string& bytes);
// The five texts of an information block.
std::vector<std::u16string> InfoBlockTexts(const std::string& infoBlock);

// Appends an archived revision to a collection as a project file would
// hold it; false when its bytes are not one whole series.
bool AppendRevision(CPaperData& data, const SArchivedRevision& revision);

// Impacts whose value in the series' unit lies outside its limits (none
// for a series without limits).
int64_t CountOutsideLimits(const CPaperData& data, int series);

} // namespace Archive
