// SPDX-License-Identifier: GPL-3.0-or-later
// Where the archive is: a SQLite file (by default
// $XDG_DATA_HOME/brelmora/archive.sqlite) or a PostgreSQL database named by
// a libpq URL.  The REG_SZ "Archive" under Software\Vantor\Brelmora\Settings
// overrides the default, an address given for one run overrides both.
//
// Addresses: a path, "sqlite:PATH", or "postgresql://[user@]host[:port]/db"
// (also "postgres://", and "?host=/socket/dir" for a Unix socket).  A
// password in the address is refused: it belongs in PGPASSWORD or
// ~/.pgpass, never on a command line or in the settings file.
#pragma once

#include <optional>
#include <string>

#include "archive/SqlConnection.h"

namespace Archive {

struct SArchiveLocation {
    EBackend backend = EBackend::Sqlite;
    std::string path;        // SQLite: the file (UTF-8)
    std::string conninfo;    // PostgreSQL: the URL for libpq
    bool isDefault = false;  // the default file: its folder is made on first use
    std::u16string display;  // how messages name it (never with a password)
};

// Parses an address; throws CArchiveError for an empty or unknown one and
// for one that holds a password.
SArchiveLocation ParseArchiveLocation(const std::u16string& text, const std::u16string& origin = u"--archive");

// $XDG_DATA_HOME/brelmora/archive.sqlite (an absolute XDG_DATA_HOME only),
// else ~/.local/share/brelmora/archive.sqlite.
SArchiveLocation DefaultArchiveLocation();

// The "Archive" setting; empty when not set or unreadable.
std::u16string ArchiveSetting();
constexpr const char16_t* kSettingsKey = u"Software\\Vantor\\Brelmora\\Settings";
constexpr const char16_t* kArchiveValue = u"Archive";

// The address given for this run, else the setting, else the default.
SArchiveLocation ResolveArchiveLocation(const std::optional<std::u16string>& given);

} // namespace Archive
