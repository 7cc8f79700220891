// The spreadsheet export: RFC 4180 CSV in UTF-8 (no byte-order mark), comma
// separated, CR LF line ends, dot decimals whatever the locale, dates in
// ISO 8601.  One header row, then either one row per series or one row per
// impact.  Readers such as pandas or a spreadsheet's default import take it
// without options.  The text export (TextExport) stays as it is; this is a
// second format beside it, used by the desktop export dialog and by
// `brelmora-cli export --csv`.
#pragma once

#include <cstdint>
#include <string>

class CPaperData;

namespace SpreadsheetExport {

enum class ERows {
    Series,    // roll ID, counter, date and time, unit, impacts, statistics, limits, comment
    Impacts,   // roll ID, counter, date and time, impact number, unit, value, value in Q, energy, status
};

// One field as RFC 4180 wants it: quoted (inner quotes doubled) when it
// holds a comma, a quote or a line break (CR or LF).
std::string QuoteField(const std::string& field);

// The local wall-clock time of a series stamp as "YYYY-MM-DDTHH:MM:SS".
std::string IsoDateTime(uint32_t seriesTime);

// The whole file's bytes for every series of `data`, in the collection's
// order.  Header captions come from the string table.
std::string Encode(const CPaperData& data, ERows rows);

// Writes the file at `path` through a temporary file renamed over the
// target.  Throws Platform::CFileException (error number, file name).
void WriteFile(const std::u16string& path, const CPaperData& data, ERows rows);

} // namespace SpreadsheetExport
