// SPDX-License-Identifier: GPL-3.0-or-later
// The SQLite back end: one file, write-ahead log, a busy time-out so
// several processes take turns instead of failing, foreign keys on.
#pragma once

#include <string>

#include "archive/SqlConnection.h"

namespace Archive {

// Opens the database file at `path` (UTF-8).  readOnly: opened for reading
// only (nothing can change it, not even the log mode).  The file must exist:
// the caller creates it with the modes it wants.  Throws CSqlError.
std::unique_ptr<ISqlConnection> OpenSqlite(const std::string& path, bool readOnly);

// How long a writer waits for another one before giving up.
constexpr int kSqliteBusyTimeoutMs = 60000;

} // namespace Archive
