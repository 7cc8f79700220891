// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet export: RFC 4180 CSV in UTF-8 with a byte-order mark (so
// a spreadsheet opened by double-click reads UTF-8, not a legacy code page),
// CR LF line ends.  The portable form has commas, dot decimals whatever the
// locale and ISO 8601 dates; the German form has semicolons, decimal commas
// and dates as DD.MM.YYYY hh:mm:ss, as a spreadsheet with German settings
// reads them.  One header row, then either one row per series or one row
// per impact.  Readers such as pandas (with utf-8-sig for the mark) or a
// spreadsheet's default import take it without options.
//
// A text cell (roll ID, unit, comment) that begins with = + - @ TAB or CR
// gets a leading apostrophe, so a spreadsheet shows it as text instead of
// evaluating it as a formula; numbers never do.  A NUL in a text is written
// as U+FFFD.  The text export (TextExport) stays as it is; this is a
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

enum class ELocale {
    Portable,   // ',' between fields, '.' decimals, ISO 8601 dates
    German,     // ';' between fields, ',' decimals, DD.MM.YYYY hh:mm:ss
};

struct SOptions {
    ELocale locale = ELocale::Portable;
    bool byteOrderMark = true;
    bool rawText = false;   // text cells as stored: no apostrophe before = + - @ TAB CR
};

// The form the active language asks for: German when its string table
// says so (the German language library), else the portable one.
ELocale LocaleOfLanguage();

// One field as RFC 4180 wants it: quoted (inner quotes doubled) when it
// holds the separator, a quote or a line break (CR or LF).
std::string QuoteField(const std::string& field, char separator = ',');

// A text cell's content before quoting: NUL as U+FFFD and, unless
// `rawText`, an apostrophe before a text a spreadsheet would evaluate.
std::string CellText(std::u16string_view text, bool rawText);

// The local wall-clock time of a series stamp as "YYYY-MM-DDTHH:MM:SS".
std::string IsoDateTime(uint32_t seriesTime);
// The same as "DD.MM.YYYY hh:mm:ss".
std::string GermanDateTime(uint32_t seriesTime);

// The whole file's bytes for every series of `data`, in the collection's
// order.  Header captions come from the string table.
std::string Encode(const CPaperData& data, ERows rows, const SOptions& options = SOptions());

// Writes the file at `path` through a temporary file renamed over the
// target.  Throws Platform::CFileException (error number, file name).
void WriteFile(const std::u16string& path, const CPaperData& data, ERows rows,
               const SOptions& options = SOptions());

} // namespace SpreadsheetExport
