// SPDX-License-Identifier: GPL-3.0-or-later
// The two database back ends behind one small interface: a connection that
// runs statements with bound parameters and hands back rows.  The archive's
// logic (schema, import, queries) is written once above it.
//
// Parameters are written $1, $2, ... in the SQL text for both back ends.
// Statements are prepared once per connection and kept (keyed by their
// text).  Every failure throws CSqlError with the back end's own words.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Archive {

enum class EBackend { Sqlite, Postgres };

// What went wrong in the database, in the library's words.
class CSqlError : public std::runtime_error {
public:
    enum class EKind {
        Failed,     // anything else
        NotADatabase,
        ReadOnly,
        Full,       // disk full or file size limit
        Busy,       // locked past the busy time-out
        Corrupt,
        CannotOpen,
    };
    CSqlError(EKind kind, const std::string& what) : std::runtime_error(what), m_kind(kind) {}
    EKind Kind() const { return m_kind; }

private:
    EKind m_kind;
};

// One value of a parameter list.
struct SSqlValue {
    enum class EType { Null, Integer, Real, Text, Blob } type = EType::Null;
    int64_t integer = 0;
    double real = 0;
    std::string bytes;   // text (UTF-8) or blob

    static SSqlValue Null() { return {}; }
    static SSqlValue Int(int64_t v)
    {
        SSqlValue s;
        s.type = EType::Integer;
        s.integer = v;
        return s;
    }
    static SSqlValue Real(double v)
    {
        SSqlValue s;
        s.type = EType::Real;
        s.real = v;
        return s;
    }
    static SSqlValue Text(std::string_view v)
    {
        SSqlValue s;
        s.type = EType::Text;
        s.bytes = v;
        return s;
    }
    static SSqlValue Blob(std::string_view v)
    {
        SSqlValue s;
        s.type = EType::Blob;
        s.bytes = v;
        return s;
    }
};

using SqlParams = std::vector<SSqlValue>;

// The rows of one statement run, read one after the other.
class ISqlRows {
public:
    virtual ~ISqlRows() = default;
    // Moves to the next row; false after the last.
    virtual bool Next() = 0;
    virtual bool IsNull(int column) const = 0;
    virtual int64_t Int(int column) const = 0;
    virtual double Real(int column) const = 0;
    virtual std::string Text(int column) const = 0;
    virtual std::string Blob(int column) const = 0;
};

class ISqlConnection {
public:
    virtual ~ISqlConnection() = default;
    virtual EBackend Backend() const = 0;
    // Runs SQL without parameters and without rows (several statements may
    // be given; used for schema changes and transaction control).
    virtual void Execute(const std::string& sql) = 0;
    // Runs one prepared statement; the rows are read before the next run.
    virtual std::unique_ptr<ISqlRows> Query(const std::string& sql, const SqlParams& params) = 0;
    // Runs one prepared statement and gives the number of rows it changed.
    virtual int64_t Run(const std::string& sql, const SqlParams& params) = 0;
    // Starts the one write transaction of this connection; with several
    // writers, it waits for the others (SQLite: BEGIN IMMEDIATE with the
    // busy time-out; PostgreSQL: a transaction-scoped advisory lock).
    virtual void BeginWrite() = 0;
    virtual void BeginRead() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() noexcept = 0;
};

} // namespace Archive
