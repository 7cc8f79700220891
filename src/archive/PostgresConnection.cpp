// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/PostgresConnection.h"

#include <charconv>
#include <cstring>
#include <libpq-fe.h>
#include <map>

namespace Archive {

namespace {

// Every archive writer of a server takes this transaction-scoped lock, so
// imports of the same series from several PCs take turns.
constexpr const char* kWriteLock = "SELECT pg_advisory_xact_lock(5420417)";

CSqlError::EKind KindOf(const char* state)
{
    if (state == nullptr)
        return CSqlError::EKind::Failed;
    const std::string s(state);
    if (s == "53100")
        return CSqlError::EKind::Full;
    if (s == "25006" || s == "42501")
        return CSqlError::EKind::ReadOnly;
    if (s == "40P01" || s == "55P03" || s == "40001")
        return CSqlError::EKind::Busy;
    if (s.rfind("XX", 0) == 0)
        return CSqlError::EKind::Corrupt;
    return CSqlError::EKind::Failed;
}

std::string Trimmed(const char* text)
{
    std::string s = text != nullptr ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

// Takes the result; throws when it is not `expected` (or rows).
class CResult {
public:
    CResult(PGconn* conn, PGresult* result) : m_result(result)
    {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return;
        const CSqlError error(KindOf(PQresultErrorField(result, PG_DIAG_SQLSTATE)),
                              Trimmed(result != nullptr ? PQresultErrorMessage(result) : PQerrorMessage(conn)));
        PQclear(result);
        m_result = nullptr;
        throw error;
    }
    ~CResult() { PQclear(m_result); }
    CResult(const CResult&) = delete;
    CResult& operator=(const CResult&) = delete;
    PGresult* Get() const { return m_result; }

private:
    PGresult* m_result;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class CPostgresRows : public ISqlRows {
public:
    CPostgresRows(PGconn* conn, PGresult* result) : m_result(conn, result) {}

    bool Next() override { return ++m_row < PQntuples(m_result.Get()); }
    bool IsNull(int c) const override { return PQgetisnull(m_result.Get(), m_row, c) != 0; }
    int64_t Int(int c) const override
    {
        const char* p = PQgetvalue(m_result.Get(), m_row, c);
        int64_t v = 0;
        std::from_chars(p, p + std::strlen(p), v);
        return v;
    }
    double Real(int c) const override
    {
        const char* p = PQgetvalue(m_result.Get(), m_row, c);
        double v = 0;
        std::from_chars(p, p + std::strlen(p), v);
        return v;
    }
    std::string Text(int c) const override
    {
        return std::string(PQgetvalue(m_result.Get(), m_row, c), PQgetlength(m_result.Get(), m_row, c));
    }
    // bytea arrives in its hex form "\x0a1b...".
    std::string Blob(int c) const override
    {
        const char* p = PQgetvalue(m_result.Get(), m_row, c);
        const size_t n = PQgetlength(m_result.Get(), m_row, c);
        std::string out;
        if (n < 2 || p[0] != '\\' || p[1] != 'x')
            return out;
        out.reserve((n - 2) / 2);
        for (size_t i = 2; i + 1 < n; i += 2) {
            const int hi = HexDigit(p[i]), lo = HexDigit(p[i + 1]);
            if (hi < 0 || lo < 0)
                break;
            out += static_cast<char>(hi << 4 | lo);
        }
        return out;
    }

private:
    CResult m_result;
    int m_row = -1;
};

void IgnoreNotice(void*, const char*) {}

class CPostgresConnection : public ISqlConnection {
public:
    CPostgresConnection(const std::string& conninfo, bool readOnly)
    {
        m_conn = PQconnectdb(conninfo.c_str());
        if (m_conn == nullptr || PQstatus(m_conn) != CONNECTION_OK) {
            const std::string text = Trimmed(m_conn != nullptr ? PQerrorMessage(m_conn) : "out of memory");
            PQfinish(m_conn);
            m_conn = nullptr;
            throw CSqlError(CSqlError::EKind::CannotOpen, text);
        }
        PQsetNoticeProcessor(m_conn, IgnoreNotice, nullptr);
        Execute("SET client_encoding = 'UTF8'; SET standard_conforming_strings = on; SET TIME ZONE 'UTC'");
        if (readOnly)
            Execute("SET default_transaction_read_only = on");
    }
    ~CPostgresConnection() override { PQfinish(m_conn); }

    EBackend Backend() const override { return EBackend::Postgres; }

    void Execute(const std::string& sql) override { CResult(m_conn, PQexec(m_conn, sql.c_str())); }

    std::unique_ptr<ISqlRows> Query(const std::string& sql, const SqlParams& params) override
    {
        return std::make_unique<CPostgresRows>(m_conn, Exec(sql, params));
    }

    int64_t Run(const std::string& sql, const SqlParams& params) override
    {
        const CResult result(m_conn, Exec(sql, params));
        const char* n = PQcmdTuples(result.Get());
        int64_t v = 0;
        std::from_chars(n, n + std::strlen(n), v);
        return v;
    }

    void BeginWrite() override { Execute(std::string("BEGIN; ") + kWriteLock); }
    void BeginRead() override { Execute("BEGIN"); }
    void Commit() override { Execute("COMMIT"); }
    void Rollback() noexcept override
    {
        if (PQtransactionStatus(m_conn) != PQTRANS_IDLE)
            PQclear(PQexec(m_conn, "ROLLBACK"));
    }

private:
    PGresult* Exec(const std::string& sql, const SqlParams& params)
    {
        const std::string& name = Prepare(sql);
        std::vector<std::string> texts(params.size());
        std::vector<const char*> values(params.size());
        std::vector<int> lengths(params.size()), formats(params.size());
        for (size_t i = 0; i < params.size(); ++i) {
            const SSqlValue& v = params[i];
            switch (v.type) {
            case SSqlValue::EType::Null:
                values[i] = nullptr;
                continue;
            case SSqlValue::EType::Integer:
                texts[i] = std::to_string(v.integer);
                break;
            case SSqlValue::EType::Real: {
                char buf[64];
                const auto r = std::to_chars(buf, buf + sizeof buf, v.real);
                texts[i].assign(buf, r.ptr);
                break;
            }
            case SSqlValue::EType::Text:
                texts[i] = v.bytes;
                break;
            case SSqlValue::EType::Blob:
                values[i] = v.bytes.data();
                lengths[i] = static_cast<int>(v.bytes.size());
                formats[i] = 1;
                continue;
            }
            values[i] = texts[i].c_str();
            lengths[i] = static_cast<int>(texts[i].size());
        }
        return PQexecPrepared(m_conn, name.c_str(), static_cast<int>(params.size()), values.data(), lengths.data(),
                              formats.data(), 0);
    }

    const std::string& Prepare(const std::string& sql)
    {
        if (auto it = m_statements.find(sql); it != m_statements.end())
            return it->second;
        std::string name = "brelmora_" + std::to_string(m_statements.size() + 1);
        CResult(m_conn, PQprepare(m_conn, name.c_str(), sql.c_str(), 0, nullptr));
        return m_statements.emplace(sql, std::move(name)).first->second;
    }

    PGconn* m_conn = nullptr;
    std::map<std::string, std::string> m_statements;
};

} // namespace

std::unique_ptr<ISqlConnection> OpenPostgres(const std::string& conninfo, bool readOnly)
{
    return std::make_unique<CPostgresConnection>(conninfo, readOnly);
}

} // namespace Archive
