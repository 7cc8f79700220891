// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/SqliteConnection.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <vector>
#include <sqlite3.h>

namespace Archive {

namespace {

CSqlError::EKind KindOf(sqlite3* db, int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_NOTADB:
        return CSqlError::EKind::NotADatabase;
    case SQLITE_READONLY:
        return CSqlError::EKind::ReadOnly;
    case SQLITE_FULL:
        return CSqlError::EKind::Full;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return CSqlError::EKind::Busy;
    case SQLITE_CORRUPT:
        return CSqlError::EKind::Corrupt;
    case SQLITE_CANTOPEN:
        return CSqlError::EKind::CannotOpen;
    case SQLITE_IOERR: {
        // A file that may not grow (EFBIG) comes back as a failed write.
        if (rc == SQLITE_IOERR_WRITE)
            return CSqlError::EKind::Full;
        // A file size limit (EFBIG) or a full disk met while writing.
        const int error = db != nullptr ? sqlite3_system_errno(db) : 0;
        if (error == EFBIG || error == ENOSPC || error == EDQUOT)
            return CSqlError::EKind::Full;
        return CSqlError::EKind::Failed;
    }
    default:
        return CSqlError::EKind::Failed;
    }
}

[[noreturn]] void Fail(sqlite3* db, int rc)
{
    std::string text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (KindOf(db, rc) == CSqlError::EKind::Full && (rc & 0xFF) == SQLITE_IOERR)
        text = sqlite3_errstr(SQLITE_FULL);
    throw CSqlError(KindOf(db, rc), text);
}

class CSqliteRows : public ISqlRows {
public:
    CSqliteRows(sqlite3* db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    ~CSqliteRows() override
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

    bool Next() override
    {
        if (m_done)
            return false;
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        m_done = true;
        if (rc == SQLITE_DONE)
            return false;
        Fail(m_db, rc);
    }
    bool IsNull(int c) const override { return sqlite3_column_type(m_stmt, c) == SQLITE_NULL; }
    int64_t Int(int c) const override { return sqlite3_column_int64(m_stmt, c); }
    double Real(int c) const override { return sqlite3_column_double(m_stmt, c); }
    std::string Text(int c) const override
    {
        const auto* p = sqlite3_column_text(m_stmt, c);
        return p != nullptr ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(m_stmt, c))
                            : std::string();
    }
    std::string Blob(int c) const override
    {
        const void* p = sqlite3_column_blob(m_stmt, c);
        return p != nullptr ? std::string(static_cast<const char*>(p), sqlite3_column_bytes(m_stmt, c))
                            : std::string();
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    bool m_done = false;
};

class CSqliteConnection : public ISqlConnection {
public:
    CSqliteConnection(const std::string& path, bool readOnly)
    {
        const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
        const int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const CSqlError error(KindOf(m_db, rc), m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
            sqlite3_close(m_db);
            m_db = nullptr;
            throw error;
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, kSqliteBusyTimeoutMs);
        // Reading the schema here makes a file that is not a database fail
        // at once, before anything is written.
        // Roll IDs are folded to small letters before they are stored and
        // searched, so LIKE may compare bytes and use the roll ID index.
        // A large import touches the indexes all over: 32 MiB of page cache
        // keep them from being written to the log again and again.
        Execute("PRAGMA foreign_keys = ON; PRAGMA case_sensitive_like = ON; PRAGMA synchronous = FULL; "
                "PRAGMA cache_size = -32768; SELECT count(*) FROM sqlite_schema;");
    }
    ~CSqliteConnection() override
    {
        for (auto& [sql, statement] : m_statements)
            sqlite3_finalize(statement.stmt);
        sqlite3_close(m_db);
    }

    EBackend Backend() const override { return EBackend::Sqlite; }

    void Execute(const std::string& sql) override
    {
        char* message = nullptr;
        const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message);
        sqlite3_free(message);
        if (rc != SQLITE_OK)
            Fail(m_db, rc);
    }

    std::unique_ptr<ISqlRows> Query(const std::string& sql, const SqlParams& params) override
    {
        const SStatement& statement = Prepare(sql);
        Bind(statement, params);
        return std::make_unique<CSqliteRows>(m_db, statement.stmt);
    }

    int64_t Run(const std::string& sql, const SqlParams& params) override
    {
        {
            auto rows = Query(sql, params);
            while (rows->Next()) {
            }
        }
        return sqlite3_changes64(m_db);
    }

    void BeginWrite() override { Execute("BEGIN IMMEDIATE"); }
    void BeginRead() override { Execute("BEGIN"); }
    void Commit() override { Execute("COMMIT"); }
    void Rollback() noexcept override
    {
        if (sqlite3_get_autocommit(m_db) == 0)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }

private:
    struct SStatement {
        sqlite3_stmt* stmt = nullptr;
        // "$N" stands for params[N-1], wherever it first appears: the value
        // index of each of the statement's parameters (looked up once, as
        // SQLite finds a name by walking its list).
        std::vector<size_t> values;
    };

    const SStatement& Prepare(const std::string& sql)
    {
        if (auto it = m_statements.find(sql); it != m_statements.end())
            return it->second;
        SStatement statement;
        const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                          &statement.stmt, nullptr);
        if (rc != SQLITE_OK)
            Fail(m_db, rc);
        const int count = sqlite3_bind_parameter_count(statement.stmt);
        for (int i = 1; i <= count; ++i) {
            const char* name = sqlite3_bind_parameter_name(statement.stmt, i);
            statement.values.push_back(name != nullptr && name[0] == '$' ? std::strtoul(name + 1, nullptr, 10) : 0);
        }
        return m_statements.emplace(sql, std::move(statement)).first->second;
    }

    void Bind(const SStatement& statement, const SqlParams& params)
    {
        sqlite3_stmt* stmt = statement.stmt;
        for (size_t k = 0; k < statement.values.size(); ++k) {
            const int i = static_cast<int>(k + 1);
            const size_t n = statement.values[k];
            if (n == 0 || n > params.size())
                throw CSqlError(CSqlError::EKind::Failed, "parameter without a value");
            const SSqlValue& v = params[n - 1];
            int rc = SQLITE_OK;
            switch (v.type) {
            case SSqlValue::EType::Null:
                rc = sqlite3_bind_null(stmt, i);
                break;
            case SSqlValue::EType::Integer:
                rc = sqlite3_bind_int64(stmt, i, v.integer);
                break;
            case SSqlValue::EType::Real:
                rc = sqlite3_bind_double(stmt, i, v.real);
                break;
            case SSqlValue::EType::Text:
                rc = sqlite3_bind_text64(stmt, i, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            case SSqlValue::EType::Blob:
                rc = sqlite3_bind_blob64(stmt, i, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT);
                break;
            }
            if (rc != SQLITE_OK)
                Fail(m_db, rc);
        }
    }

    sqlite3* m_db = nullptr;
    std::map<std::string, SStatement> m_statements;
};

} // namespace

std::unique_ptr<ISqlConnection> OpenSqlite(const std::string& path, bool readOnly)
{
    return std::make_unique<CSqliteConnection>(path, readOnly);
}

} // namespace Archive
