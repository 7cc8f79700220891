// SPDX-License-Identifier: GPL-3.0-or-later
// SQLite files the archive must refuse without changing them: not SQLite,
// another program's database, cut short, read-only, not a regular file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveLocation.h"
#include "archive/LabArchive.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

using namespace ArchiveTest;
using Archive::CLabArchive;

std::string Temp(const std::string& name)
{
    return TestEnv::TempDir() + "/" + name;
}

// The message of a refused open, empty when it opened.
std::string Refusal(const std::string& path, CLabArchive::EMode mode)
{
    try {
        CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(path)), mode);
    } catch (const Archive::CArchiveError& e) {
        return e.what();
    }
    return {};
}

void MakeArchive(const std::string& path, int series)
{
    auto archive = CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(path)), CLabArchive::EMode::Write);
    CPaperDoc doc;
    std::vector<SSeriesPlan> plans;
    for (int i = 0; i < series; ++i)
        plans.push_back({"R" + std::to_string(i), static_cast<uint16_t>(i), 800000000u + i, {80, 90}});
    FillDocument(doc, "VT-1", plans);
    archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
}

TEST(ArchiveSqliteFile, FilesThatAreNoArchiveAreLeftAsTheyAre)
{
    const std::string text = Temp("notes.sqlite");
    std::ofstream(text) << std::string(3000, 'x');
    // SQLite takes a file shorter than its header for an empty database.
    const std::string tiny = Temp("tiny.sqlite");
    std::ofstream(tiny) << "x";
    const std::string other = Temp("other-program.sqlite");
    ASSERT_EQ(std::system(("sqlite3 '" + other + "' 'CREATE TABLE orders (id INTEGER)'").c_str()), 0);
    for (const std::string& path : {text, tiny, other}) {
        const std::string before = ReadFile(path);
        for (const auto mode : {CLabArchive::EMode::Write, CLabArchive::EMode::Read}) {
            const std::string message = Refusal(path, mode);
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find("not an archive of this program"), std::string::npos) << message;
        }
        EXPECT_EQ(ReadFile(path), before) << path;
        EXPECT_NE(::access((path + "-wal").c_str(), F_OK), 0) << "no log was started";
    }
}

TEST(ArchiveSqliteFile, ATruncatedArchiveIsRefused)
{
    const std::string path = Temp("cut.sqlite");
    MakeArchive(path, 300);
    // Fold the log into the file, then cut it.
    ASSERT_EQ(std::system(("sqlite3 '" + path + "' 'PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE' >/dev/null").c_str()), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    ASSERT_GT(st.st_size, 8192);
    ASSERT_EQ(::truncate(path.c_str(), st.st_size / 2), 0);
    const std::string before = ReadFile(path);
    for (const auto mode : {CLabArchive::EMode::Write, CLabArchive::EMode::Read}) {
        const std::string message = Refusal(path, mode);
        EXPECT_NE(message.find("cut short"), std::string::npos) << message;
    }
    EXPECT_EQ(ReadFile(path), before);
    // Cut inside the header.
    ASSERT_EQ(::truncate(path.c_str(), 10), 0);
    EXPECT_NE(Refusal(path, CLabArchive::EMode::Write).find("cut short"), std::string::npos);
}

TEST(ArchiveSqliteFile, AReadOnlyArchiveIsReadButNeverWritten)
{
    const std::string path = Temp("readonly.sqlite");
    MakeArchive(path, 3);
    ASSERT_EQ(std::system(("sqlite3 '" + path + "' 'PRAGMA wal_checkpoint(TRUNCATE)' >/dev/null").c_str()), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string before = ReadFile(path);
    // Root too: a file without write bits is read-only for everybody.
    const std::string message = Refusal(path, CLabArchive::EMode::Write);
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
    EXPECT_TRUE(Refusal(path, CLabArchive::EMode::Read).empty());
    auto archive = CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(path)), CLabArchive::EMode::Read);
    EXPECT_EQ(archive->Find({}, false).size(), 3u);
    archive.reset();
    EXPECT_EQ(ReadFile(path), before);
    ::chmod(path.c_str(), 0600);
}

TEST(ArchiveSqliteFile, OnlyRegularFilesAndExistingArchivesAreRead)
{
    EXPECT_NE(Refusal(TestEnv::TempDir(), CLabArchive::EMode::Write).find("not a regular file"), std::string::npos);
    EXPECT_NE(Refusal("/dev/null", CLabArchive::EMode::Write).find("not a regular file"), std::string::npos);
    const std::string missing = Temp("missing.sqlite");
    EXPECT_NE(Refusal(missing, CLabArchive::EMode::Read).find("does not exist"), std::string::npos);
    EXPECT_NE(::access(missing.c_str(), F_OK), 0) << "reading made a file";
    // A path's folder is not made, only the default's.
    EXPECT_NE(Refusal(Temp("no/such/folder.sqlite"), CLabArchive::EMode::Write), "");
}

} // namespace
