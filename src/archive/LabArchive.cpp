// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/LabArchive.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

#include "archive/ArchiveClock.h"
#include "archive/ArchiveError.h"
#include "archive/ArchivePage.h"
#include "archive/ArchiveSchema.h"
#include "archive/ArchiveStrings.h"
#include "archive/PostgresConnection.h"
#include "archive/SeriesState.h"
#include "archive/SqliteConnection.h"
#include "data/PaperData.h"
#include "platform/Sha256.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Archive {

namespace {

std::u16string Str(uint32_t id)
{
    return Platform::LoadString(id);
}

// Makes the folders of `path` that are missing, each 0700.
void MakeFolders(const std::u16string& name, const std::string& path)
{
    for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
        const std::string folder = path.substr(0, pos);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            ThrowArchiveError(name, Platform::FormatU(Str(kCannotCreateFolder).c_str(), folder.c_str(),
                                                      std::strerror(errno)));
    }
}

uint32_t Big(const unsigned char* p, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

// A file that does not begin as SQLite's do is no archive, whatever its
// size.  A database file shorter than its header says was cut short: SQLite
// would take the missing pages for damage found later, in the middle of a
// write.
void CheckNotTruncated(const std::u16string& name, const std::string& path, off_t size)
{
    if (size == 0)
        return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;   // SQLite reports it
    unsigned char header[100] = {};
    const ssize_t n = ::pread(fd, header, sizeof header, 0);
    ::close(fd);
    static const char kMagic[] = "SQLite format 3";
    if (n <= 0)
        return;   // SQLite reports it
    if (n < 16 || std::memcmp(header, kMagic, 16) != 0) {
        if (n < 16 && std::memcmp(header, kMagic, static_cast<size_t>(n)) == 0)
            ThrowArchiveError(name, Platform::FormatU(Str(kTruncated).c_str(), std::to_string(size).c_str(), "100"));
        // Not SQLite at all.  SQLite itself takes a file shorter than its
        // header for an empty database and would write one over it.
        ThrowArchiveError(name, Platform::FormatU(Str(kCannotOpen).c_str(), Platform::ToUtf8(Str(kNotAnArchive)).c_str()));
    }
    if (n < 100)
        ThrowArchiveError(name, Platform::FormatU(Str(kTruncated).c_str(), std::to_string(size).c_str(), "100"));
    uint32_t pageSize = Big(header + 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    const uint32_t pages = Big(header + 28, 4);
    // The page count is valid only when written by the same change.
    if (Big(header + 24, 4) != Big(header + 92, 4) || pages == 0)
        return;
    const uint64_t expected = static_cast<uint64_t>(pages) * pageSize;
    if (static_cast<uint64_t>(size) < expected)
        ThrowArchiveError(name, Platform::FormatU(Str(kTruncated).c_str(), std::to_string(size).c_str(),
                                                  std::to_string(expected).c_str()));
}

std::unique_ptr<ISqlConnection> OpenSqliteFile(const SArchiveLocation& location, CLabArchive::EMode mode)
{
    const std::u16string& name = location.display;
    const bool write = mode == CLabArchive::EMode::Write;
    struct stat st {};
    if (::stat(location.path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            ThrowArchiveError(name, Platform::FormatU(Str(kCannotOpen).c_str(), std::strerror(errno)));
        if (!write)
            ThrowArchiveError(name, Str(kNoArchive));
        if (location.isDefault)
            MakeFolders(name, location.path);
        const int fd = ::open(location.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            ThrowArchiveError(name, Platform::FormatU(Str(kCannotOpen).c_str(), std::strerror(errno)));
        if (fd >= 0)
            ::close(fd);
        if (::stat(location.path.c_str(), &st) != 0)
            ThrowArchiveError(name, Platform::FormatU(Str(kCannotOpen).c_str(), std::strerror(errno)));
    }
    if (!S_ISREG(st.st_mode))
        ThrowArchiveError(name, Str(kNotRegularFile));
    // A file without any write bit is read-only for everybody, root too, as
    // project files are.
    if (write && ((st.st_mode & 0222) == 0 || ::access(location.path.c_str(), W_OK) != 0))
        ThrowArchiveError(name, Platform::FormatU(Str(kCannotWrite).c_str(), Platform::ToUtf8(Str(kReadOnlyFile)).c_str()));
    CheckNotTruncated(name, location.path, st.st_size);
    try {
        return OpenSqlite(location.path, !write);
    } catch (const CSqlError& e) {
        ThrowSqlFailure(name, kCannotOpen, e);
    }
}

SSqlValue Opt(const std::optional<double>& v)
{
    return v ? SSqlValue::Real(*v) : SSqlValue::Null();
}

std::optional<double> OptReal(const ISqlRows& rows, int c)
{
    if (rows.IsNull(c))
        return std::nullopt;
    return rows.Real(c);
}

const char* const kSelectColumns =
    "SELECT r.measurement_id, r.number, m.revisions, r.original, r.roll_id, r.comment, r.serial, r.date_time, "
    "r.counter, r.impact_count, r.r_flag, r.factor, r.lower_limit, r.upper_limit, r.mean, r.std_dev, r.cov_percent, "
    "r.minimum, r.maximum, r.outside_limits, s.description, s.sha256, s.archived_at, s.archived_by, s.host";
const char* const kContentColumns = ", r.series, r.device_texts, i.bytes";
const char* const kFrom =
    " FROM revision r JOIN measurement m ON m.id = r.measurement_id JOIN archive_source s ON s.id = r.source_id";

// One measurement of an import: its identity and the states to keep, each
// marked whether it is the state as downloaded.
struct SImportItem {
    const SSeriesState* identity;
    std::vector<const SSeriesState*> states;
    std::vector<bool> original;
};

// One import's writes, inside its transaction.
class CImport {
public:
    CImport(ISqlConnection& db, const SImportSource& source) : m_db(db), m_source(source) {}

    void Measurement(const SSeriesState& identity, const std::vector<const SSeriesState*>& states,
                     const std::vector<bool>& original, SImportCounts& counts)
    {
        const SqlParams key = {SSqlValue::Text(identity.serial), SSqlValue::Int(identity.counter),
                               SSqlValue::Int(identity.dateTime), SSqlValue::Int(identity.impactsDigest)};
        {
            SqlParams params = key;
            params.push_back(SSqlValue::Int(static_cast<int64_t>(states.size())));
            auto rows = m_db.Query("INSERT INTO measurement (serial, counter, date_time, impacts_digest, revisions) "
                                   "VALUES ($1, $2, $3, $4, $5) ON CONFLICT DO NOTHING RETURNING id",
                                   params);
            if (rows->Next()) {
                const int64_t id = rows->Int(0);
                rows.reset();
                for (size_t k = 0; k < states.size(); ++k)
                    Revision(id, static_cast<int64_t>(k + 1), k + 1 == states.size(), original[k], *states[k]);
                ++counts.added;
                return;
            }
        }
        int64_t id = 0, revisions = 0;
        {
            auto rows = m_db.Query("SELECT id, revisions FROM measurement WHERE serial = $1 AND counter = $2 AND "
                                   "date_time = $3 AND impacts_digest = $4",
                                   key);
            if (!rows->Next())
                throw CSqlError(CSqlError::EKind::Failed, "measurement vanished during the import");
            id = rows->Int(0);
            revisions = rows->Int(1);
        }
        const int64_t before = revisions;
        for (size_t k = 0; k < states.size(); ++k) {
            {
                auto rows = m_db.Query("SELECT count(*) FROM revision WHERE measurement_id = $1 AND content_digest = $2",
                                       {SSqlValue::Int(id), SSqlValue::Int(states[k]->contentDigest)});
                if (rows->Next() && rows->Int(0) > 0)
                    continue;
            }
            m_db.Run("UPDATE revision SET latest = 0 WHERE measurement_id = $1 AND latest = 1", {SSqlValue::Int(id)});
            Revision(id, ++revisions, true, original[k], *states[k]);
        }
        if (revisions == before) {
            ++counts.unchanged;
            return;
        }
        m_db.Run("UPDATE measurement SET revisions = $2 WHERE id = $1", {SSqlValue::Int(id), SSqlValue::Int(revisions)});
        ++counts.revised;
    }


    // Every item, many rows per statement: the measurements already held
    // are looked up, the new ones inserted with their revisions, and only
    // those held before go one by one.  The write lock is held, so nobody
    // adds a measurement in between.
    void Items(const std::vector<SImportItem>& items, SImportCounts& counts)
    {
        std::map<Key, std::pair<int64_t, int64_t>> held;   // id, revisions
        std::vector<const SImportItem*> fresh, again;
        {
            std::map<Key, bool> seen;
            std::vector<const SImportItem*> unique;
            for (const SImportItem& item : items) {
                if (seen.emplace(KeyOf(*item.identity), true).second)
                    unique.push_back(&item);
                else
                    again.push_back(&item);   // the same measurement twice in one file
            }
            ForBatches(unique.size(), 256, [&](size_t first, size_t n) {
                SqlParams p;
                for (size_t i = first; i < first + n; ++i) {
                    const SSeriesState& id = *unique[i]->identity;
                    p.insert(p.end(), {SSqlValue::Text(id.serial), SSqlValue::Int(id.counter),
                                       SSqlValue::Int(id.dateTime), SSqlValue::Int(id.impactsDigest)});
                }
                // The keys as a table joined to the unique index: both back
                // ends then look each key up instead of scanning.
                std::string sql = "WITH k (serial, counter, date_time, impacts_digest) AS (VALUES ";
                for (size_t r = 0; r < n; ++r)
                    sql += std::string(r ? ", (" : "(") + Cast(4 * r + 1, "TEXT") + ", " + Cast(4 * r + 2, "BIGINT") +
                           ", " + Cast(4 * r + 3, "BIGINT") + ", " + Cast(4 * r + 4, "BIGINT") + ")";
                sql += ") SELECT m.id, m.serial, m.counter, m.date_time, m.impacts_digest, m.revisions FROM k "
                       "CROSS JOIN measurement m WHERE m.serial = k.serial AND m.counter = k.counter AND "
                       "m.date_time = k.date_time AND m.impacts_digest = k.impacts_digest";
                auto rows = m_db.Query(sql, p);
                while (rows->Next())
                    held[Key(rows->Text(1), static_cast<uint16_t>(rows->Int(2)), static_cast<uint32_t>(rows->Int(3)),
                             rows->Int(4))] = {rows->Int(0), rows->Int(5)};
            });
            for (const SImportItem* item : unique)
                (held.count(KeyOf(*item->identity)) ? again : fresh).push_back(item);
        }
        // New measurements and their revisions.
        std::map<Key, int64_t> ids;
        ForBatches(fresh.size(), 256, [&](size_t first, size_t n) {
            SqlParams p;
            for (size_t i = first; i < first + n; ++i) {
                const SSeriesState& id = *fresh[i]->identity;
                p.insert(p.end(), {SSqlValue::Text(id.serial), SSqlValue::Int(id.counter), SSqlValue::Int(id.dateTime),
                                   SSqlValue::Int(id.impactsDigest),
                                   SSqlValue::Int(static_cast<int64_t>(fresh[i]->states.size()))});
            }
            auto rows = m_db.Query("INSERT INTO measurement (serial, counter, date_time, impacts_digest, revisions) "
                                   "VALUES " + Placeholders(n, 5) + " RETURNING id, serial, counter, date_time, "
                                   "impacts_digest",
                                   p);
            while (rows->Next())
                ids[Key(rows->Text(1), static_cast<uint16_t>(rows->Int(2)), static_cast<uint32_t>(rows->Int(3)),
                        rows->Int(4))] = rows->Int(0);
        });
        struct SRow {
            int64_t id;
            int64_t number;
            bool latest, original;
            const SSeriesState* state;
        };
        std::vector<SRow> revisionRows;
        for (const SImportItem* item : fresh) {
            const auto it = ids.find(KeyOf(*item->identity));
            if (it == ids.end())
                throw CSqlError(CSqlError::EKind::Failed, "a new measurement got no ID");
            for (size_t k = 0; k < item->states.size(); ++k)
                revisionRows.push_back({it->second, static_cast<int64_t>(k + 1), k + 1 == item->states.size(),
                                        item->original[k], item->states[k]});
        }
        ForBatches(revisionRows.size(), 128, [&](size_t first, size_t n) {
            SqlParams p;
            p.reserve(n * kRevisionParams);
            for (size_t i = first; i < first + n; ++i) {
                const SRow& r = revisionRows[i];
                AppendRevisionParams(p, r.id, r.number, r.latest, r.original, *r.state);
            }
            m_db.Run(std::string("INSERT INTO revision (") + kRevisionColumns + ") VALUES " +
                         Placeholders(n, kRevisionParams),
                     p);
        });
        counts.added += static_cast<int>(fresh.size());
        // Measurements held before: one by one (a new revision is rare).
        for (const SImportItem* item : again)
            Measurement(*item->identity, item->states, item->original, counts);
    }

private:
    using Key = std::tuple<std::string, uint16_t, uint32_t, int64_t>;
    static Key KeyOf(const SSeriesState& s) { return Key(s.serial, s.counter, s.dateTime, s.impactsDigest); }

    // "CAST($n AS type)".
    static std::string Cast(size_t n, const char* type)
    {
        return "CAST($" + std::to_string(n) + " AS " + type + ")";
    }

    // n rows of `width` parameters: "($1, $2), ($3, $4)".
    static std::string Placeholders(size_t n, int width)
    {
        std::string out;
        size_t k = 1;
        for (size_t r = 0; r < n; ++r) {
            out += r ? ", (" : "(";
            for (int c = 0; c < width; ++c, ++k)
                out += (c ? ", $" : "$") + std::to_string(k);
            out += ")";
        }
        return out;
    }

    // Calls run(first, n) over [0, total) in pieces of at most `most` rows,
    // each a power of two, so a connection prepares few statement texts.
    template <class Run>
    static void ForBatches(size_t total, size_t most, Run run)
    {
        size_t done = 0;
        while (done < total) {
            size_t n = most;
            while (n > total - done)
                n /= 2;
            run(done, n);
            done += n;
        }
    }

    int64_t SourceId()
    {
        if (m_sourceId != 0)
            return m_sourceId;
        auto rows = m_db.Query("INSERT INTO archive_source (description, sha256, archived_at, archived_by, host) "
                               "VALUES ($1, $2, $3, $4, $5) RETURNING id",
                               {SSqlValue::Text(Platform::ToUtf8(m_source.description)),
                                m_source.sha256.empty() ? SSqlValue::Null() : SSqlValue::Text(m_source.sha256),
                                SSqlValue::Text(UtcNowIso()), SSqlValue::Text(LoginName()),
                                SSqlValue::Text(HostName())});
        if (!rows->Next())
            throw CSqlError(CSqlError::EKind::Failed, "no source row");
        m_sourceId = rows->Int(0);
        return m_sourceId;
    }

    int64_t InfoId(const SSeriesState& state)
    {
        if (auto it = m_infoIds.find(state.infoDigest); it != m_infoIds.end())
            return it->second;
        int64_t id = 0;
        {
            auto rows = m_db.Query("INSERT INTO archive_info (digest, bytes) VALUES ($1, $2) ON CONFLICT DO NOTHING "
                                   "RETURNING id",
                                   {SSqlValue::Int(state.infoDigest), SSqlValue::Blob(state.infoBlock)});
            if (rows->Next())
                id = rows->Int(0);
        }
        if (id == 0) {
            auto rows = m_db.Query("SELECT id FROM archive_info WHERE digest = $1", {SSqlValue::Int(state.infoDigest)});
            if (!rows->Next())
                throw CSqlError(CSqlError::EKind::Failed, "information block vanished during the import");
            id = rows->Int(0);
        }
        m_infoIds.emplace(state.infoDigest, id);
        return id;
    }

    static constexpr const char* kRevisionColumns =
        "measurement_id, number, latest, original, content_digest, source_id, info_id, roll_id, roll_id_folded, "
        "comment, serial, date_time, counter, impact_count, r_flag, factor, lower_limit, upper_limit, mean, std_dev, "
        "cov_percent, minimum, maximum, outside_limits, series, device_texts";
    static constexpr int kRevisionParams = 26;

    void AppendRevisionParams(SqlParams& p, int64_t measurement, int64_t number, bool latest, bool original,
                              const SSeriesState& s)
    {
        p.insert(p.end(),
                 {SSqlValue::Int(measurement), SSqlValue::Int(number), SSqlValue::Int(latest ? 1 : 0),
                  SSqlValue::Int(original ? 1 : 0), SSqlValue::Int(s.contentDigest), SSqlValue::Int(SourceId()),
                  SSqlValue::Int(InfoId(s)), SSqlValue::Text(s.rollId), SSqlValue::Text(s.rollIdFolded),
                  SSqlValue::Text(s.comment), SSqlValue::Text(s.serial), SSqlValue::Int(s.dateTime),
                  SSqlValue::Int(s.counter), SSqlValue::Int(s.impactCount), SSqlValue::Int(s.rFlag),
                  SSqlValue::Int(s.factor), SSqlValue::Int(s.lowerLimit), SSqlValue::Int(s.upperLimit), Opt(s.mean),
                  Opt(s.standardDeviation), Opt(s.covPercent), Opt(s.minimum), Opt(s.maximum),
                  SSqlValue::Int(s.outsideLimits), SSqlValue::Blob(s.seriesBytes), SSqlValue::Blob(s.deviceTexts)});
    }

    void Revision(int64_t measurement, int64_t number, bool latest, bool original, const SSeriesState& s)
    {
        SqlParams p;
        AppendRevisionParams(p, measurement, number, latest, original, s);
        m_db.Run(std::string("INSERT INTO revision (") + kRevisionColumns + ") VALUES " + Placeholders(1, kRevisionParams),
                 p);
    }

    ISqlConnection& m_db;
    const SImportSource& m_source;
    int64_t m_sourceId = 0;
    std::map<int64_t, int64_t> m_infoIds;
};

} // namespace

CLabArchive::CLabArchive(std::unique_ptr<ISqlConnection> db, std::u16string name)
    : m_db(std::move(db)), m_name(std::move(name))
{
}

CLabArchive::~CLabArchive() = default;

std::unique_ptr<CLabArchive> CLabArchive::Open(const SArchiveLocation& location, EMode mode)
{
    std::unique_ptr<ISqlConnection> db;
    if (location.backend == EBackend::Sqlite) {
        db = OpenSqliteFile(location, mode);
    } else {
        try {
            db = OpenPostgres(location.conninfo, mode == EMode::Read);
        } catch (const CSqlError& e) {
            ThrowSqlFailure(location.display, kCannotOpen, e);
        }
    }
    std::unique_ptr<CLabArchive> archive(new CLabArchive(std::move(db), location.display));
    archive->PrepareSchema(mode);
    return archive;
}

void CLabArchive::PrepareSchema(EMode mode)
{
    const auto refuse = [this](const SSchemaState& state) {
        if (!state.isArchive && !state.empty)
            ThrowArchiveError(m_name, Str(kNotAnArchive));
        if (state.version > kSchemaVersion)
            ThrowArchiveError(m_name, Platform::FormatU(Str(kNewerSchema).c_str(), static_cast<int>(state.version),
                                                        static_cast<int>(kSchemaVersion)));
    };
    try {
        // Looked at before anything is written: a file of another program
        // or of a newer schema is left exactly as it is.
        SSchemaState state = ReadSchemaState(*m_db);
        refuse(state);
        if (mode == EMode::Read) {
            if (!state.isArchive)
                ThrowArchiveError(m_name, Str(kNotAnArchive));
            if (state.version < kSchemaVersion)
                ThrowArchiveError(m_name, Platform::FormatU(Str(kOlderSchema).c_str(), static_cast<int>(state.version),
                                                            static_cast<int>(kSchemaVersion)));
            return;
        }
        if (m_db->Backend() == EBackend::Sqlite)
            m_db->Execute("PRAGMA journal_mode = WAL");
        if (state.version == kSchemaVersion)
            return;
        m_db->BeginWrite();
        try {
            // Another process may have made or upgraded it meanwhile.
            state = ReadSchemaState(*m_db);
            refuse(state);
            if (state.version < kSchemaVersion)
                Migrate(*m_db, state.version);
            m_db->Commit();
        } catch (...) {
            m_db->Rollback();
            throw;
        }
    } catch (const CSqlError& e) {
        ThrowSqlFailure(m_name, mode == EMode::Read ? kCannotRead : kCannotWrite, e);
    }
}

SImportCounts CLabArchive::Import(const CPaperData& originalData, const CPaperData& currentData,
                                  const SImportSource& source)
{
    const std::vector<SSeriesState> original = MakeSeriesStates(originalData);
    const std::vector<SSeriesState> current = MakeSeriesStates(currentData);
    std::vector<SImportItem> items;
    items.reserve(original.size() + current.size());
    // The current state of a series is found by what no edit changes.
    std::multimap<std::tuple<std::string, uint16_t, int64_t>, size_t> unmatched;
    for (const SSeriesState& o : original) {
        unmatched.emplace(std::make_tuple(o.serial, o.counter, o.impactsDigest), items.size());
        items.push_back({&o, {&o}, {true}});
    }
    for (const SSeriesState& c : current) {
        auto it = unmatched.find(std::make_tuple(c.serial, c.counter, c.impactsDigest));
        if (it == unmatched.end()) {
            items.push_back({&c, {&c}, {false}});
            continue;
        }
        SImportItem& item = items[it->second];
        unmatched.erase(it);
        if (c.contentDigest != item.states.front()->contentDigest) {
            item.states.push_back(&c);
            item.original.push_back(false);
        }
    }
    SImportCounts counts;
    try {
        m_db->BeginWrite();
        try {
            CImport import(*m_db, source);
            import.Items(items, counts);
            m_db->Commit();
        } catch (...) {
            m_db->Rollback();
            throw;
        }
    } catch (const CSqlError& e) {
        ThrowSqlFailure(m_name, kCannotWrite, e);
    }
    return counts;
}

std::vector<SArchivedRevision> CLabArchive::Select(const std::string& where, const SqlParams& params,
                                                   bool withContent, const std::string& tail)
{
    std::string sql = kSelectColumns;
    if (withContent)
        sql += kContentColumns;
    sql += kFrom;
    if (withContent)
        sql += " JOIN archive_info i ON i.id = r.info_id";
    sql += " WHERE " + where + tail;
    std::vector<SArchivedRevision> out;
    try {
        auto rows = m_db->Query(sql, params);
        while (rows->Next()) {
            SArchivedRevision r;
            r.measurementId = rows->Int(0);
            r.revision = rows->Int(1);
            r.revisions = rows->Int(2);
            r.original = rows->Int(3) != 0;
            r.rollId = Platform::FromUtf8(rows->Text(4));
            r.comment = Platform::FromUtf8(rows->Text(5));
            r.serial = Platform::FromUtf8(rows->Text(6));
            r.dateTime = static_cast<uint32_t>(rows->Int(7));
            r.counter = static_cast<uint16_t>(rows->Int(8));
            r.impactCount = static_cast<int>(rows->Int(9));
            r.rFlag = static_cast<uint8_t>(rows->Int(10));
            r.factor = static_cast<uint8_t>(rows->Int(11));
            r.lowerLimit = static_cast<uint8_t>(rows->Int(12));
            r.upperLimit = static_cast<uint8_t>(rows->Int(13));
            r.mean = OptReal(*rows, 14);
            r.standardDeviation = OptReal(*rows, 15);
            r.covPercent = OptReal(*rows, 16);
            r.minimum = OptReal(*rows, 17);
            r.maximum = OptReal(*rows, 18);
            r.outsideLimits = rows->Int(19);
            r.source = Platform::FromUtf8(rows->Text(20));
            r.sourceSha256 = rows->IsNull(21) ? std::string() : rows->Text(21);
            r.archivedAt = rows->Text(22);
            r.archivedBy = Platform::FromUtf8(rows->Text(23));
            r.host = Platform::FromUtf8(rows->Text(24));
            if (withContent) {
                r.seriesBytes = rows->Blob(25);
                r.infoBlock = rows->Blob(27);
                const std::string texts = rows->Blob(26);
                r.deviceTexts = texts.empty() ? InfoBlockTexts(r.infoBlock) : DecodeDeviceTexts(texts);
            }
            out.push_back(std::move(r));
        }
    } catch (const CSqlError& e) {
        ThrowSqlFailure(m_name, kCannotRead, e);
    }
    return out;
}

std::vector<SArchivedRevision> CLabArchive::Find(const SFindFilter& filter, bool withContent)
{
    SqlParams params;
    const bool wide = filter.limit && RollPatternIsWide(filter, EFindColumn::Time, *filter.limit);
    const std::string where = FindWhere(filter, params, !wide);
    std::string tail = " ORDER BY r.date_time, r.measurement_id";
    if (filter.limit) {
        params.push_back(SSqlValue::Int(*filter.limit));
        tail += " LIMIT $" + std::to_string(params.size());
    }
    return Select(where, params, withContent, tail);
}

std::vector<SArchivedRevision> CLabArchive::History(int64_t measurementId)
{
    return Select("r.measurement_id = $1", {SSqlValue::Int(measurementId)}, true, " ORDER BY r.number");
}

std::vector<SArchiveStats> CLabArchive::Stats(const SFindFilter& filter)
{
    std::map<std::string, std::vector<const SArchivedRevision*>> byUnit;
    const std::vector<SArchivedRevision> found = Find(filter, false);
    for (const SArchivedRevision& r : found)
        byUnit[r.rFlag == 1 ? "R" : "Q"].push_back(&r);
    std::vector<SArchiveStats> out;
    for (const auto& [unit, list] : byUnit) {
        SArchiveStats st;
        st.unit = unit;
        double sum = 0;
        for (const SArchivedRevision* r : list) {
            if (r->outsideLimits > 0)
                ++st.seriesOutsideLimits;
            st.impactsOutsideLimits += r->outsideLimits;
            if (r->covPercent && *r->covPercent >= 6.0)
                ++st.covAtLeast6;
            if (!r->mean)
                continue;
            const double m = *r->mean;
            ++st.count;
            sum += m;
            st.minimum = st.minimum ? std::min(*st.minimum, m) : m;
            st.maximum = st.maximum ? std::max(*st.maximum, m) : m;
        }
        if (st.count > 0)
            st.mean = sum / st.count;
        if (st.count > 1) {
            double sq = 0;
            for (const SArchivedRevision* r : list)
                if (r->mean)
                    sq += (*r->mean - *st.mean) * (*r->mean - *st.mean);
            st.standardDeviation = std::sqrt(sq / (st.count - 1));
            if (*st.mean > 0)
                st.covPercent = *st.standardDeviation / *st.mean * 100.0;
        }
        out.push_back(st);
    }
    return out;
}

SCheckReport CLabArchive::Check()
{
    SCheckReport report;
    const auto count = [this](const char* sql) {
        auto rows = m_db->Query(sql, {});
        return rows->Next() ? rows->Int(0) : 0;
    };
    try {
        m_db->BeginRead();
        if (m_db->Backend() == EBackend::Sqlite) {
            std::string result;
            {
                auto rows = m_db->Query("PRAGMA integrity_check", {});
                while (rows->Next()) {
                    if (!result.empty())
                        result += "; ";
                    result += rows->Text(0);
                }
            }
            if (result != "ok")
                report.problems.push_back(Platform::FormatU(Str(kCheckIntegrity).c_str(), result.c_str()));
            int64_t dangling = 0;
            {
                auto rows = m_db->Query("PRAGMA foreign_key_check", {});
                while (rows->Next())
                    ++dangling;
            }
            if (dangling > 0)
                report.problems.push_back(Platform::FormatU(Str(kCheckForeignKeys).c_str(), static_cast<long long>(dangling)));
        }
        report.measurements = count("SELECT count(*) FROM measurement");
        report.revisions = count("SELECT count(*) FROM revision");
        if (const int64_t n = count("SELECT count(*) FROM measurement m WHERE NOT EXISTS "
                                    "(SELECT 1 FROM revision r WHERE r.measurement_id = m.id)"))
            report.problems.push_back(Platform::FormatU(Str(kCheckNoRevision).c_str(), static_cast<long long>(n)));
        if (const int64_t n = count("SELECT count(*) FROM measurement m WHERE m.revisions <> "
                                    "(SELECT count(*) FROM revision r WHERE r.measurement_id = m.id) OR m.revisions <> "
                                    "(SELECT coalesce(max(r.number), 0) FROM revision r WHERE r.measurement_id = m.id)"))
            report.problems.push_back(Platform::FormatU(Str(kCheckRevisionCount).c_str(), static_cast<long long>(n)));
        if (const int64_t n = count("SELECT count(*) FROM measurement m WHERE 1 <> (SELECT count(*) FROM revision r "
                                    "WHERE r.measurement_id = m.id AND r.latest = 1)"))
            report.problems.push_back(Platform::FormatU(Str(kCheckLatest).c_str(), static_cast<long long>(n)));
        m_db->Commit();
    } catch (const CSqlError& e) {
        m_db->Rollback();
        ThrowSqlFailure(m_name, kCannotRead, e);
    }
    return report;
}

SImportSource DownloadSource(const std::u16string& port)
{
    SImportSource source;
    // Stored data, the same in every language.
    source.description = u"download from " + port;
    return source;
}

SImportSource FileSource(const std::u16string& path, const std::vector<uint8_t>& bytes)
{
    Platform::CSha256 sha;
    sha.Add(bytes.data(), bytes.size());
    SImportSource source;
    source.description = path;
    source.sha256 = sha.FinishHex();
    return source;
}

} // namespace Archive
