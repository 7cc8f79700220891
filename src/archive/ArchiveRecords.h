// SPDX-License-Identifier: GPL-3.0-or-later
// What goes into the archive and what comes back out of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Archive {

// Where an imported collection came from.
struct SImportSource {
    std::u16string description;   // the file's path, or "download from PORT"
    std::string sha256;           // of the file (64 hex digits); empty for a download
};

// What one import did, counted per measurement.
struct SImportCounts {
    int added = 0;       // measurements the archive did not hold
    int revised = 0;     // held, and a new revision was kept
    int unchanged = 0;   // held with exactly this content already
};

// The filters of find, stats and export; unset fields do not filter.
struct SFindFilter {
    std::optional<std::u16string> rollPattern;   // '*' and '?', case-insensitive
    std::optional<std::u16string> serial;        // exact
    std::optional<uint32_t> from;                // series time stamps, inclusive
    std::optional<uint32_t> to;
    bool outsideLimitsOnly = false;
    std::optional<double> covAbove;              // percent, exclusive
    std::optional<int64_t> limit;
};

// One revision of a measurement as it was archived.
struct SArchivedRevision {
    int64_t measurementId = 0;   // the archive ID of the measurement
    int64_t revision = 0;        // 1 for the first state archived
    int64_t revisions = 0;       // how many the measurement has
    bool original = false;       // the state as downloaded
    std::u16string rollId;
    std::u16string comment;
    std::u16string serial;
    uint32_t dateTime = 0;
    uint16_t counter = 0;
    int impactCount = 0;
    uint8_t rFlag = 0, factor = 0, lowerLimit = 0, upperLimit = 0;
    std::optional<double> mean, standardDeviation, covPercent, minimum, maximum;
    int64_t outsideLimits = 0;
    std::string seriesBytes;              // head and impacts as in a project file
    std::vector<std::u16string> deviceTexts;   // the five texts
    std::string infoBlock;                // 128 bytes
    // The source.
    std::u16string source;
    std::string sourceSha256;
    std::string archivedAt;               // UTC, ISO 8601 with Z
    std::u16string archivedBy;            // login name
    std::u16string host;
};

// The summary of the found series' means, per unit ("Q" or "R").
struct SArchiveStats {
    std::string unit;
    int64_t count = 0;
    std::optional<double> mean, standardDeviation, covPercent, minimum, maximum;
    int64_t seriesOutsideLimits = 0;
    int64_t impactsOutsideLimits = 0;
    int64_t covAtLeast6 = 0;   // series with a coefficient of variation of 6 % or more
};

// What the integrity check found; sound when `problems` is empty.
struct SCheckReport {
    int64_t measurements = 0;
    int64_t revisions = 0;
    std::vector<std::u16string> problems;
};

} // namespace Archive
