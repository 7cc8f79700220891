// SPDX-License-Identifier: GPL-3.0-or-later
// The lab archive: importing a 100,000-series project into SQLite and into
// PostgreSQL, finding one exact roll ID among 1,000,000 archived series, a
// date range of 30,000 series as JSON (brelmora-cli archive find), and the
// SQLite file's size against the project file's.
//
// The PostgreSQL server is this program's own: initdb in the temporary
// folder, a Unix socket there, as the user postgres when run as root.
#include "BenchSupport.h"

#include <filesystem>
#include <libpq-fe.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "archive/LabArchive.h"
#include "data/SpreadsheetExport.h"
#include "platform/Text.h"

namespace {

constexpr int kImpacts = 10;
std::string g_dir;

std::string Temp(const std::string& name)
{
    return g_dir + "/" + name;
}

int64_t FileSize(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// A downloaded document of `count` random series.
std::unique_ptr<CPaperDoc> MakeDoc(int count, unsigned seed)
{
    auto doc = std::make_unique<CPaperDoc>();
    BenchSupport::StoreDownload(*doc, BenchSupport::MakeInfoBlock("VT-20417", "Veltrano"),
                                BenchSupport::MakeRandomDownload(count, kImpacts, seed), count);
    return doc;
}

Archive::SArchiveLocation Sqlite(const std::string& path)
{
    return Archive::ParseArchiveLocation(Platform::FromUtf8(path));
}

void RemoveArchive(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        std::remove((path + suffix).c_str());
}

void BM_ImportIntoSqlite(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto doc = MakeDoc(count, 1);
    const std::string project = Temp("import.vnr"), archive = Temp("import.sqlite");
    doc->WriteProject(Platform::FromUtf8(project));
    for (auto _ : state) {
        state.PauseTiming();
        RemoveArchive(archive);
        state.ResumeTiming();
        auto a = Archive::CLabArchive::Open(Sqlite(archive), Archive::CLabArchive::EMode::Write);
        const auto n = a->Import(doc->GetOriginal(), doc->GetCurrent(), Archive::DownloadSource(u"COM1:"));
        if (n.added != count)
            state.SkipWithError("not every series was added");
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(archive.c_str(), &db) == SQLITE_OK)
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    state.counters["archive_MB"] = FileSize(archive) / 1e6;
    state.counters["project_MB"] = FileSize(project) / 1e6;
    state.counters["size_ratio"] = static_cast<double>(FileSize(archive)) / FileSize(project);
}
BENCHMARK(BM_ImportIntoSqlite)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The benchmark's own PostgreSQL server.
class CServer {
public:
    ~CServer() { Stop(); }
    bool Start()
    {
        if (m_running)
            return true;
        m_dir = Temp("pg");
        ::mkdir(m_dir.c_str(), 0700);
        std::string prefix;
        if (::geteuid() == 0) {
            const passwd* pw = ::getpwnam("postgres");
            if (pw == nullptr || ::chown(m_dir.c_str(), pw->pw_uid, pw->pw_gid) != 0 ||
                ::chmod(g_dir.c_str(), 0755) != 0)
                return false;
            prefix = "runuser -u postgres -- ";
        }
        const std::string bin = "/usr/lib/postgresql/15/bin/";
        m_stop = prefix + bin + "pg_ctl -D " + m_dir + "/data -w -m fast stop >/dev/null 2>&1";
        const std::string init = prefix + bin + "initdb -D " + m_dir + "/data -A trust -U postgres -E UTF8 --locale=C >/dev/null 2>&1";
        const std::string start = prefix + bin + "pg_ctl -D " + m_dir + "/data -w -l " + m_dir + "/log -o \"-k " + m_dir +
                                  " -c listen_addresses=''\" start >/dev/null 2>&1";
        m_running = std::system(init.c_str()) == 0 && std::system(start.c_str()) == 0;
        return m_running;
    }
    void Stop()
    {
        if (m_running && std::system(m_stop.c_str()) != 0) {
            // Nothing more to do at the end of the program.
        }
        m_running = false;
    }
    std::string Url(const std::string& db) const { return "postgresql:///" + db + "?host=" + m_dir + "&user=postgres"; }
    bool Recreate(const std::string& db)
    {
        PGconn* c = PQconnectdb(Url("postgres").c_str());
        bool ok = PQstatus(c) == CONNECTION_OK;
        PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + db).c_str()));
        PGresult* r = PQexec(c, ("CREATE DATABASE " + db).c_str());
        ok = ok && PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        PQfinish(c);
        return ok;
    }

private:
    std::string m_dir, m_stop;
    bool m_running = false;
};
CServer g_server;

void BM_ImportIntoPostgres(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    if (!g_server.Start()) {
        state.SkipWithError("the PostgreSQL server did not start");
        return;
    }
    const auto doc = MakeDoc(count, 2);
    for (auto _ : state) {
        state.PauseTiming();
        g_server.Recreate("bench");
        state.ResumeTiming();
        auto a = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(g_server.Url("bench"))),
                                            Archive::CLabArchive::EMode::Write);
        const auto n = a->Import(doc->GetOriginal(), doc->GetCurrent(), Archive::DownloadSource(u"COM1:"));
        if (n.added != count)
            state.SkipWithError("not every series was added");
    }
}
BENCHMARK(BM_ImportIntoPostgres)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// An archive of 1,000,000 series, made once (ten downloads of 100,000).
const std::string& MillionArchive()
{
    static const std::string path = [] {
        const std::string p = Temp("million.sqlite");
        auto a = Archive::CLabArchive::Open(Sqlite(p), Archive::CLabArchive::EMode::Write);
        for (unsigned part = 0; part < 10; ++part) {
            const auto doc = MakeDoc(100000, 100 + part);
            a->Import(doc->GetOriginal(), doc->GetCurrent(), Archive::DownloadSource(u"COM1:"));
        }
        return p;
    }();
    return path;
}

std::string QueryText(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

void BM_FindExactRollIdAmongAMillion(benchmark::State& state)
{
    const std::string& path = MillionArchive();
    const std::string roll = QueryText(path, "SELECT roll_id FROM revision WHERE id = 654321");
    for (auto _ : state) {
        auto a = Archive::CLabArchive::Open(Sqlite(path), Archive::CLabArchive::EMode::Read);
        Archive::SFindFilter f;
        f.rollPattern = Platform::FromUtf8(roll);
        if (a->Find(f, true).empty())
            state.SkipWithError("the roll ID was not found");
    }
}
BENCHMARK(BM_FindExactRollIdAmongAMillion)->Unit(benchmark::kMillisecond);

// CPU seconds of the children that ended so far.
double ChildCpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The whole command, process start included.
void BM_CliFindExactRollIdAmongAMillion(benchmark::State& state)
{
    const std::string& path = MillionArchive();
    const std::string roll = QueryText(path, "SELECT roll_id FROM revision WHERE id = 654321");
    const std::string cli = BenchSupport::SiblingProgram("brelmora-cli");
    const double before = ChildCpuSeconds();
    for (auto _ : state) {
        if (BenchSupport::RunQuietly(cli, {"archive", "find", "--roll", roll, "--archive", path}) != 0)
            state.SkipWithError("brelmora-cli failed");
    }
    state.counters["child_cpu_ms"] = (ChildCpuSeconds() - before) * 1000 / state.iterations();
}
BENCHMARK(BM_CliFindExactRollIdAmongAMillion)->Unit(benchmark::kMillisecond);

void BM_CliDateRangeOf30000AsJson(benchmark::State& state)
{
    const std::string& path = MillionArchive();
    const auto stamp = [&](int offset) {
        return static_cast<uint32_t>(std::stoul(QueryText(
            path, "SELECT date_time FROM revision WHERE latest = 1 ORDER BY date_time LIMIT 1 OFFSET " +
                      std::to_string(offset))));
    };
    const std::string from = SpreadsheetExport::IsoDateTime(stamp(100000));
    const std::string to = SpreadsheetExport::IsoDateTime(stamp(129999));
    const std::string cli = BenchSupport::SiblingProgram("brelmora-cli");
    const double before = ChildCpuSeconds();
    for (auto _ : state) {
        if (BenchSupport::RunQuietly(cli, {"archive", "find", "--from", from, "--to", to, "--json", "--archive", path}) != 0)
            state.SkipWithError("brelmora-cli failed");
    }
    state.counters["child_cpu_ms"] = (ChildCpuSeconds() - before) * 1000 / state.iterations();
}
BENCHMARK(BM_CliDateRangeOf30000AsJson)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/brelmora-bench-archive-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 1;
    g_dir = pattern;
    const std::string registry = g_dir + "/registry.reg";
    std::ofstream(registry, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n";
    ::setenv("BRELMORA_REGISTRY", registry.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", g_dir.c_str(), 1);
    ::setenv("XDG_DATA_HOME", g_dir.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_server.Stop();
    std::error_code ec;
    std::filesystem::remove_all(g_dir, ec);
    return 0;
}
