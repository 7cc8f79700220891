// SPDX-License-Identifier: GPL-3.0-or-later
// The lab archive: every measured series ever imported, with every state it
// was archived in (nothing is overwritten), in one SQLite file or on a
// PostgreSQL server.  One class over both back ends.
//
//   auto archive = CLabArchive::Open(ResolveArchiveLocation(std::nullopt), CLabArchive::EMode::Write);
//   SImportCounts n = archive->Import(doc.GetOriginal(), doc.GetCurrent(), DownloadSource(u"COM3:"));
//
// Every failure throws CArchiveError with the whole message (the archive's
// name and the cause).  An import is one transaction: all of it is kept or
// none of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveLocation.h"
#include "archive/ArchiveRecords.h"
#include "archive/SqlConnection.h"

class CPaperData;

namespace Archive {

struct SPageRequest;
enum class EFindColumn;

class CLabArchive {
public:
    enum class EMode {
        Read,    // the archive must exist; nothing is created or changed
        Write,   // created when missing (the default file 0600 in a 0700 folder), upgraded when older
    };

    static std::unique_ptr<CLabArchive> Open(const SArchiveLocation& location, EMode mode);
    ~CLabArchive();

    const std::u16string& Name() const { return m_name; }
    EBackend Backend() const { return m_db->Backend(); }

    // Archives a document's two collections in one transaction.  A series
    // of the original collection is a measurement as downloaded; the series
    // of the current collection with the same serial, counter and impacts is
    // its edited state (a series only in the current one is a measurement
    // of its own).  A measurement already held with this content adds
    // nothing; with other content it gets a new revision.
    SImportCounts Import(const CPaperData& original, const CPaperData& current, const SImportSource& source);

    // The newest revision of every measurement that passes the filter,
    // sorted by measurement time.  withContent: also the series bytes,
    // device texts and information block.
    std::vector<SArchivedRevision> Find(const SFindFilter& filter, bool withContent);
    // One page of the newest revisions that pass the filter, in the
    // request's order, without content (ArchivePage.cpp).  From
    // `SetWidePatternRows` series whose roll ID fits a prefix pattern (for
    // each 200 rows wanted), a page or a limited list is read in its own
    // order rather than through the roll-ID index (tests set it low).
    std::vector<SArchivedRevision> FindPage(const SFindFilter& filter, const SPageRequest& page);
    // Every revision of one measurement, oldest first (with content); empty
    // when there is no such measurement.
    std::vector<SArchivedRevision> History(int64_t measurementId);
    // The summary of the means of the found series, one entry per unit.
    std::vector<SArchiveStats> Stats(const SFindFilter& filter);
    // Integrity: the database's own check, and the revisions against the
    // measurements.
    SCheckReport Check();

    void SetWidePatternRows(int64_t rows) { m_widePatternRows = rows; }

private:
    CLabArchive(std::unique_ptr<ISqlConnection> db, std::u16string name);
    void PrepareSchema(EMode mode);
    bool RollPatternIsWide(const SFindFilter& filter, EFindColumn order, int64_t rowsWanted);
    std::vector<SArchivedRevision> Select(const std::string& where, const SqlParams& params, bool withContent,
                                          const std::string& tail);

    std::unique_ptr<ISqlConnection> m_db;
    std::u16string m_name;
    int64_t m_widePatternRows = 10000;
};

// The source of a download from `port` ("download from PORT").
SImportSource DownloadSource(const std::u16string& port);
// The source of a project file: its path and the SHA-256 of its bytes.
SImportSource FileSource(const std::u16string& path, const std::vector<uint8_t>& bytes);

} // namespace Archive
