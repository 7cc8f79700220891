// SPDX-License-Identifier: GPL-3.0-or-later
// The find filters as command-line options (--roll, --serial, --from, --to,
// --outside-limits, --cov-above, --limit), for every program that takes
// them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive/ArchiveRecords.h"

namespace Archive {

enum class EFilterOption {
    Unknown,    // not a filter option
    Applied,
    BadValue,   // the value does not fit the option
};

bool IsFilterOption(const std::string& option);
// True for the options that take a value (all but --outside-limits).
bool FilterOptionTakesValue(const std::string& option);
// Sets the filter field of `option` from `value` (ignored for
// --outside-limits).
EFilterOption ApplyFilterOption(const std::string& option, const std::string& value, SFindFilter& filter);

// A local date or date and time as a series stamp: "YYYY-MM-DD" (the day's
// start, or its last second when endOfDay), "YYYY-MM-DDTHH:MM[:SS]" (also
// with a blank instead of T); years 2000 to 2135.
std::optional<uint32_t> ParseFilterTime(const std::string& text, bool endOfDay);

} // namespace Archive
