// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchivePage.h"

#include <algorithm>

#include "archive/LabArchive.h"
#include "archive/SeriesState.h"
#include "platform/Text.h"

namespace Archive {

std::string FindWhere(const SFindFilter& filter, SqlParams& params, bool rollIndex)
{
    std::string where = "r.latest = 1";
    const auto add = [&](const std::string& clause, SSqlValue value) {
        params.push_back(std::move(value));
        std::string c = clause;
        c.replace(c.find('#'), 1, "$" + std::to_string(params.size()));
        where += " AND " + c;
    };
    if (filter.rollPattern) {
        if (HasWildcards(*filter.rollPattern))
            add(rollIndex ? "r.roll_id_folded LIKE # ESCAPE '\\'" : "(r.roll_id_folded || '') LIKE # ESCAPE '\\'",
                SSqlValue::Text(LikePattern(*filter.rollPattern)));
        else
            add("r.roll_id_folded = #", SSqlValue::Text(FoldRollId(*filter.rollPattern)));
    }
    if (filter.serial)
        add("r.serial = #", SSqlValue::Text(Platform::ToUtf8(*filter.serial)));
    if (filter.from)
        add("r.date_time >= #", SSqlValue::Int(*filter.from));
    if (filter.to)
        add("r.date_time <= #", SSqlValue::Int(*filter.to));
    if (filter.outsideLimitsOnly)
        where += " AND r.outside_limits > 0";
    if (filter.covAbove)
        add("r.cov_percent > #", SSqlValue::Real(*filter.covAbove));
    return where;
}

std::string FindOrder(EFindColumn column, bool descending)
{
    const char* key = "r.date_time";
    switch (column) {
    case EFindColumn::Time: key = "r.date_time"; break;
    case EFindColumn::RollId: key = "r.roll_id_folded"; break;
    case EFindColumn::Serial: key = "r.serial"; break;
    case EFindColumn::Impacts: key = "r.impact_count"; break;
    case EFindColumn::Mean: key = "r.mean"; break;
    case EFindColumn::StandardDeviation: key = "r.std_dev"; break;
    case EFindColumn::CovPercent: key = "r.cov_percent"; break;
    case EFindColumn::Minimum: key = "r.minimum"; break;
    case EFindColumn::Maximum: key = "r.maximum"; break;
    case EFindColumn::Limits: key = "r.lower_limit"; break;
    case EFindColumn::Revisions: key = "m.revisions"; break;
    }
    const std::string direction = descending ? " DESC" : "";
    // SQLite takes NULL as the smallest value, PostgreSQL as the largest:
    // say where they go.
    std::string order = " ORDER BY ";
    if (column != EFindColumn::Time && column != EFindColumn::Revisions && column != EFindColumn::Impacts &&
        column != EFindColumn::RollId && column != EFindColumn::Serial)
        order += std::string("(") + key + " IS NULL)" + (descending ? "" : " DESC") + ", ";
    order += key + direction;
    if (column == EFindColumn::Limits)
        order += ", r.upper_limit" + direction;
    order += ", r.date_time" + direction + ", r.measurement_id" + direction;
    return order;
}

// For a roll-ID pattern with a fixed beginning the database takes the
// roll-ID index, whatever the page's order: right when the pattern is
// narrow, but a wide one ("ROLL-1*" in a million random IDs finds 100,000)
// then has every match read and sorted before the first row comes.  When
// the page is ordered by an indexed column (time, serial) and a bounded
// count on the roll-ID index reaches the bound, the page is read in that
// order instead, the pattern checked on each row: the first page then reads
// about count × (archive / matches) rows.  The bound grows with the rows
// wanted (10,000 more for every 200) so that a deep page or a long list of a
// middling pattern keeps the index.  Find with a limit decides alike.
bool CLabArchive::RollPatternIsWide(const SFindFilter& filter, EFindColumn order, int64_t rowsWanted)
{
    if (!filter.rollPattern || !HasWildcards(*filter.rollPattern))
        return false;
    if (order != EFindColumn::Time && order != EFindColumn::Serial)
        return false;
    const std::string like = LikePattern(*filter.rollPattern);
    if (like.empty() || like[0] == '%' || like[0] == '_')
        return false;   // no fixed beginning: no index serves it anyway
    const int64_t bound = m_widePatternRows * std::max<int64_t>(1, rowsWanted / 200);
    auto rows = m_db->Query("SELECT count(*) FROM (SELECT 1 FROM revision WHERE latest = 1"
                            " AND roll_id_folded LIKE $1 ESCAPE '\\' LIMIT $2) AS fitting",
                            {SSqlValue::Text(like), SSqlValue::Int(bound)});
    return rows->Next() && rows->Int(0) >= bound;
}

std::vector<SArchivedRevision> CLabArchive::FindPage(const SFindFilter& filter, const SPageRequest& page)
{
    SqlParams params;
    const bool wide = RollPatternIsWide(filter, page.column, page.offset + page.count);
    const std::string where = FindWhere(filter, params, !wide);
    std::string tail = FindOrder(page.column, page.descending);
    params.push_back(SSqlValue::Int(page.count));
    tail += " LIMIT $" + std::to_string(params.size());
    params.push_back(SSqlValue::Int(page.offset));
    tail += " OFFSET $" + std::to_string(params.size());
    return Select(where, params, false, tail);
}

} // namespace Archive
