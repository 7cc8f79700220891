// SPDX-License-Identifier: GPL-3.0-or-later
// The fields of one series in `info --json`, shared by the commands that
// print series as JSON (they add their own fields to the same object).
#pragma once

#include "JsonWriter.h"

class CPaperData;

namespace Cli {

// Writes the series' keys and values into the open object.
void WriteSeriesFields(CJsonWriter& json, const CPaperData& data, int series);

} // namespace Cli
