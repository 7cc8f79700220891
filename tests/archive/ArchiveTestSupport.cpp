// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <libpq-fe.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/PaperDoc.h"
#include "data/SeriesRecords.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace ArchiveTest {

namespace {

const char* const kPgBin = "/usr/lib/postgresql/15/bin";

// Runs a program (as `user` when not empty) and waits for it.
int RunProgram(const std::vector<std::string>& argv, const std::string& user, const std::string& log)
{
    std::vector<std::string> full;
    if (!user.empty())
        full = {"/usr/sbin/runuser", "-u", user, "--"};
    full.insert(full.end(), argv.begin(), argv.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        std::vector<char*> args;
        for (std::string& a : full)
            args.push_back(a.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Keeps every child's default archive inside the test's folder, and stops
// the server when the program ends.
class CArchiveEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const std::string xdg = TestEnv::TempDir() + "/xdg-data";
        ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    }
    void TearDown() override
    {
        if (CPostgres* pg = CPostgres::Get(false))
            pg->Stop();
    }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new CArchiveEnvironment);

} // namespace

void SetSerial(CPaperData& data, const std::string& serial)
{
    DEVICE_INFO_T info = data.GetInfoBlock();
    std::fill(info.bytes + 34, info.bytes + 48, 0);
    std::copy(serial.begin(), serial.begin() + std::min<size_t>(serial.size(), 13), info.bytes + 34);
    data.SetInfoBlock(info.bytes, sizeof info.bytes);
    data.ApplyInfoBlockTexts();
}

void AddSeries(CPaperData& data, const SSeriesPlan& plan)
{
    SERIES_HEAD_T head;
    std::copy(plan.rollId.begin(), plan.rollId.begin() + std::min<size_t>(plan.rollId.size(), 16), head.rollId);
    head.counter = plan.counter;
    head.dateTime = plan.dateTime;
    head.impactCount = static_cast<uint8_t>(plan.values.size());
    head.rFlag = plan.rFlag;
    head.factor = 200;
    head.lowerLimit = plan.lowerLimit;
    head.upperLimit = plan.upperLimit;
    std::vector<uint8_t> bytes(SeriesBytes::kHeadSize + SeriesBytes::kMeasSize * plan.values.size());
    SeriesBytes::StoreHead(head, bytes.data());
    for (size_t k = 0; k < plan.values.size(); ++k) {
        MEAS_T m;
        m.value = plan.values[k];
        m.energy = 3000;
        SeriesBytes::StoreMeas(m, bytes.data() + SeriesBytes::kHeadSize + 4 * k);
    }
    const int before = data.GetCount();
    data.ParseSeries(bytes.data(), bytes.size(), true, false, true);
    data.SetRFlag(before, plan.rFlag);
    data.SetFactor(before, 200);
    // Roll IDs longer than the head's 16 bytes are kept as the text.
    data.SetRollId(before, Platform::FromUtf8(plan.rollId));
}

void FillDocument(CPaperDoc& doc, const std::string& serial, const std::vector<SSeriesPlan>& plans)
{
    SetSerial(doc.GetOriginal(), serial);
    for (const SSeriesPlan& s : plans)
        AddSeries(doc.GetOriginal(), s);
    doc.GetOriginal().ApplyInfoBlockTexts();
    doc.GetCurrent().CopyFrom(doc.GetOriginal());
}

void WriteDocument(const std::string& path, CPaperDoc& doc)
{
    ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(path))) << path;
}

void WriteProject(const std::string& path, const std::string& serial, int count, uint16_t firstCounter)
{
    CPaperDoc doc;
    std::vector<SSeriesPlan> plans;
    for (int i = 0; i < count; ++i) {
        SSeriesPlan s;
        s.counter = static_cast<uint16_t>(firstCounter + i);
        s.rollId = "R-" + std::to_string(firstCounter + i);
        s.dateTime = 800000000u + static_cast<uint32_t>(firstCounter + i) * 60u;
        s.values = {static_cast<uint8_t>(70 + i % 20), 82, static_cast<uint8_t>(90 - i % 7)};
        plans.push_back(s);
    }
    FillDocument(doc, serial, plans);
    WriteDocument(path, doc);
}

std::string CliPath()
{
    return std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli";
}

SRun RunCli(const std::vector<std::string>& args, long fileSizeLimit)
{
    static int counter = 0;
    const std::string base = TestEnv::TempDir() + "/run" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const std::string outFile = base + ".out", errFile = base + ".err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (fileSizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<std::string> full = {CliPath()};
        full.insert(full.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : full)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    SRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    return run;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int64_t CountRows(const Archive::SArchiveLocation& location, const std::string& table)
{
    const std::string sql = "SELECT count(*) FROM " + table;
    if (location.backend == Archive::EBackend::Sqlite) {
        sqlite3* db = nullptr;
        int64_t n = -1;
        if (sqlite3_open_v2(location.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
                n = sqlite3_column_int64(stmt, 0);
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return n;
    }
    PGconn* conn = PQconnectdb(location.conninfo.c_str());
    int64_t n = -1;
    if (PQstatus(conn) == CONNECTION_OK) {
        PGresult* r = PQexec(conn, sql.c_str());
        if (PQresultStatus(r) == PGRES_TUPLES_OK)
            n = std::atoll(PQgetvalue(r, 0, 0));
        PQclear(r);
    }
    PQfinish(conn);
    return n;
}

void NewPostgresDatabase(std::string& url)
{
    url.clear();
    CPostgres* pg = CPostgres::Get();
    if (pg == nullptr) {
        const char* ci = std::getenv("CI");
        if (ci != nullptr && std::string(ci) == "true")
            FAIL() << "the PostgreSQL server of the tests did not start";
        GTEST_SKIP() << "no PostgreSQL server for the tests";
    }
    url = pg->NewDatabase();
}

CPostgres* CPostgres::Get(bool start)
{
    static CPostgres server;
    static bool tried = false;
    if (!start)
        return server.m_running ? &server : nullptr;
    if (!tried) {
        tried = true;
        server.Start();
    }
    return server.m_running ? &server : nullptr;
}

bool CPostgres::Start()
{
    char pattern[] = "/tmp/brelmora-pg-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        m_problem = "mkdtemp failed";
        return false;
    }
    m_dir = pattern;
    std::string user;
    if (::geteuid() == 0) {
        // The server refuses to run as root.
        const passwd* pw = ::getpwnam("postgres");
        if (pw == nullptr) {
            m_problem = "no user postgres to run the server as";
            return false;
        }
        if (::chown(m_dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
            m_problem = "cannot give the folder to postgres";
            return false;
        }
        user = "postgres";
    }
    const std::string log = m_dir + "/server.log";
    if (RunProgram({std::string(kPgBin) + "/initdb", "-D", m_dir + "/data", "-A", "trust", "-U", "postgres",
                    "--no-sync", "-E", "UTF8", "--locale=C"},
                   user, m_dir + "/initdb.log") != 0) {
        m_problem = "initdb failed: " + ReadFile(m_dir + "/initdb.log");
        return false;
    }
    if (RunProgram({std::string(kPgBin) + "/pg_ctl", "-D", m_dir + "/data", "-w", "-t", "30", "-l", log, "-o",
                    "-k " + m_dir + " -c listen_addresses= -c fsync=off -c synchronous_commit=off "
                                    "-c full_page_writes=off",
                    "start"},
                   user, m_dir + "/pg_ctl.log") != 0) {
        m_problem = "the server did not start: " + ReadFile(log);
        return false;
    }
    m_user = user;
    m_running = true;
    return true;
}

void CPostgres::Stop()
{
    if (!m_running)
        return;
    RunProgram({std::string(kPgBin) + "/pg_ctl", "-D", m_dir + "/data", "-w", "-m", "immediate", "stop"}, m_user,
               m_dir + "/pg_ctl.log");
    m_running = false;
    const std::string cmd = "rm -rf '" + m_dir + "'";
    if (std::system(cmd.c_str()) != 0) {
        // A folder left in /tmp is no test failure.
    }
}

std::string CPostgres::Url(const std::string& database) const
{
    return "postgresql:///" + database + "?host=" + m_dir + "&user=postgres";
}

std::string CPostgres::NewDatabase()
{
    const std::string name = "archive_test_" + std::to_string(++m_databases);
    PGconn* conn = PQconnectdb(Url("postgres").c_str());
    if (PQstatus(conn) == CONNECTION_OK) {
        PGresult* r = PQexec(conn, ("CREATE DATABASE " + name).c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQresultErrorMessage(r);
        PQclear(r);
    } else {
        ADD_FAILURE() << PQerrorMessage(conn);
    }
    PQfinish(conn);
    return Url(name);
}

} // namespace ArchiveTest
