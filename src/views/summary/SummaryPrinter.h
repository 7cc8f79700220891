// SPDX-License-Identifier: GPL-3.0-or-later
// Printing of the summary: one page.  The logical page is the layout width
// plus one character wide and as high as the paper's aspect ratio makes it,
// mapped onto the printable area with the drawing one character width from
// the left edge; the page frame goes above and below it.  A layout taller
// than the room between header and footer is scaled down until it fits,
// so nothing of it is cut off.
#pragma once

class QFont;
class QPrinter;
struct SPrintInfo;
struct SSummaryViewData;

namespace SummaryPrinter {

// Prints the summary as laid out for a client of `clientWidth` pixels with
// `font`.  False for an empty summary (nothing is printed, no job is
// started) and when the job could not be started or the page failed.
bool Print(QPrinter& printer, const SSummaryViewData& data, int clientWidth, const QFont& font,
           const SPrintInfo& info);

} // namespace SummaryPrinter
