// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the archive tests: series built byte by byte, project files,
// brelmora-cli as a child process, and one PostgreSQL server per test
// program (initdb in a temporary folder, Unix socket there, as the user
// postgres when the tests run as root).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/LabArchive.h"

class CPaperData;
class CPaperDoc;

namespace ArchiveTest {

struct SSeriesPlan {
    std::string rollId;
    uint16_t counter = 1;
    uint32_t dateTime = 800000000;
    std::vector<uint8_t> values = {80, 82, 84};   // half steps of Q
    uint8_t lowerLimit = 0;
    uint8_t upperLimit = 200;
    uint8_t rFlag = 1;   // what every parse of a series gives
};

// Appends one series (ApplyInfoBlockTexts gives it the block's texts).
void AddSeries(CPaperData& data, const SSeriesPlan& plan);
void SetSerial(CPaperData& data, const std::string& serial);
// A document whose original and current collections hold `plans`.
void FillDocument(CPaperDoc& doc, const std::string& serial, const std::vector<SSeriesPlan>& plans);
// Writes a project file with `count` series numbered from `firstCounter`.
void WriteProject(const std::string& path, const std::string& serial, int count, uint16_t firstCounter);
void WriteDocument(const std::string& path, CPaperDoc& doc);

struct SRun {
    int exitCode = -1;
    std::string out, err;
};
// Runs brelmora-cli with `args`; fileSizeLimit > 0 sets RLIMIT_FSIZE for it.
SRun RunCli(const std::vector<std::string>& args, long fileSizeLimit = 0);
std::string CliPath();

// The server of this test program, started on first use.  Fails the test
// (CI=true) or skips it when it cannot start.
class CPostgres {
public:
    static CPostgres* Get(bool start = true);   // null when it is not running
    // A fresh database; its URL.
    std::string NewDatabase();
    std::string Url(const std::string& database) const;
    void Stop();
    const std::string& Problem() const { return m_problem; }

private:
    bool Start();
    std::string m_dir, m_problem, m_user;
    int m_databases = 0;
    bool m_running = false;
};

// A fresh database of the tests' server: its URL in `url`.  Without a
// server `url` stays empty and the test fails in CI (where the server must
// run) or is skipped elsewhere; the caller returns then.
void NewPostgresDatabase(std::string& url);

std::string ReadFile(const std::string& path);
int64_t CountRows(const Archive::SArchiveLocation& location, const std::string& table);

} // namespace ArchiveTest
