// SPDX-License-Identifier: GPL-3.0-or-later
// The PostgreSQL back end (libpq): a lab's shared server.  Passwords come
// from PGPASSWORD or ~/.pgpass, as libpq reads them itself.
#pragma once

#include <string>

#include "archive/SqlConnection.h"

namespace Archive {

// Connects with a libpq connection string or URL.  Throws CSqlError
// (CannotOpen) with libpq's words when the server cannot be reached.
std::unique_ptr<ISqlConnection> OpenPostgres(const std::string& conninfo, bool readOnly);

} // namespace Archive
