// SPDX-License-Identifier: GPL-3.0-or-later
// The page header and page footer of every printed page (the series table
// and the summary):
//
//   header  "Vantor"          "Veltrano measurement series"   "Brelmora Version 1.8.1.0"
//           ------------------------------------------------------------------------
//   ...     the page's content
//           ------------------------------------------------------------------------
//   footer  "Page 2 of 3"     "rolls.vnr"                      "03/14/2024 2:05 PM"
//
// The texts are taken once when a print job starts (SPrintInfo) and drawn
// bold, each in one line, left-aligned, centred and right-aligned.
#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <ctime>
#include <string>

class CFileVersionInfo;
class CPaperDoc;
class QPainter;

struct SPrintInfo {
    QString leftHeader;     // the company name
    QString centreHeader;   // "Veltrano measurement series"
    QString rightHeader;    // "Brelmora Version %d.%d.%d.%d", or "Brelmora"
    QString pageFormat;     // "Page %d of %d"
    QString fileName;       // the project's file name without its folders
    QString printedAt;      // date and time of the print, in the user's pictures
};

namespace PageFrame {

// The file name of a project path: everything up to and including the last
// "\" or "/" removed (empty for a project without a file).
std::u16string FileNameOf(const std::u16string& path);

// "Brelmora Version a.b.c.d" with the four parts of the file version of a
// version record; "Brelmora" when the program carries no version record.
std::u16string VersionHeaderText(const CFileVersionInfo& program);

// "Page %d of %d" filled in.
std::u16string PageText(int page, int count);

// The local date and time `now` formatted with the date and time pictures
// chosen by `dtFormat`, joined by one space.
std::u16string DateTimeText(std::time_t now, uint32_t dtFormat);

// Every text of the frame for a print of `doc` made now; `program` is the
// version record of the running program.
SPrintInfo MakePrintInfo(const CPaperDoc& doc, const CFileVersionInfo& program, uint32_t dtFormat, std::time_t now);
// The same, with the running program's own version record and the user's
// date and time pictures.
SPrintInfo MakePrintInfo(const CPaperDoc& doc);

// The bold font of the frame's texts: `font` (the table's or the view's
// font, in pixels) at weight 700.
QFont FrameFont(const QFont& font);

// Draws the three header texts vertically centred in `band` and a line
// across the page under them.
void DrawHeader(QPainter& painter, const SPrintInfo& info, const QRectF& band, const QFont& font);
// Draws a line across the page at the top of `band` and the three footer
// texts under it: the page number, the file name, the date and time.
void DrawFooter(QPainter& painter, const SPrintInfo& info, int page, int count, const QRectF& band, const QFont& font);

} // namespace PageFrame
