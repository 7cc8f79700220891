// SPDX-License-Identifier: GPL-3.0-or-later
// The archive's schema, created and upgraded by numbered migrations.  The
// table archive_schema holds the version reached; a database of a newer
// version than this program knows is refused and never changed.
#pragma once

#include <cstdint>

#include "archive/SqlConnection.h"

namespace Archive {

constexpr int64_t kSchemaVersion = 1;

// What the database holds.
struct SSchemaState {
    bool empty = false;       // no tables at all: a new database
    bool isArchive = false;   // has archive_schema
    int64_t version = 0;
};

SSchemaState ReadSchemaState(ISqlConnection& db);

// Runs the migrations after `from` up to kSchemaVersion, inside the
// caller's write transaction.
void Migrate(ISqlConnection& db, int64_t from);

} // namespace Archive
