// SPDX-License-Identifier: GPL-3.0-or-later
// A page of the found series in any column's order, for a result table
// that fetches its rows as they scroll into view.
#pragma once

#include <cstdint>
#include <string>

#include "archive/ArchiveRecords.h"
#include "archive/SqlConnection.h"

namespace Archive {

enum class EFindColumn {
    Time, RollId, Serial, Impacts, Mean, StandardDeviation, CovPercent, Minimum, Maximum, Limits, Revisions,
};

struct SPageRequest {
    EFindColumn column = EFindColumn::Time;
    bool descending = false;
    int64_t offset = 0;
    int64_t count = 200;
};

// The WHERE clause of the filter over the newest revisions ("r." columns)
// with its bound parameters appended to `params`.
// rollIndex false: the roll-ID pattern is written so that no index serves
// it, which leaves the database to read in the order of another index.
std::string FindWhere(const SFindFilter& filter, SqlParams& params, bool rollIndex = true);
// " ORDER BY ..." for the column; ties in measurement time, then archive ID
// order, so that pages never overlap.  Series without a value count as the
// smallest: first ascending, last descending, on both back ends.
std::string FindOrder(EFindColumn column, bool descending);

} // namespace Archive
