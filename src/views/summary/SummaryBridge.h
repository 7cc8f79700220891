// SPDX-License-Identifier: GPL-3.0-or-later
// The summary as the views use it: building it (the build unticks series of
// the other kind, Q or R, than the majority of those ticked) and the copy
// text of the summary page.
#pragma once

#include <string>

class CPaperDoc;

namespace SummaryBridge {

// Builds the summary; false when the document holds no series.
bool Build(CPaperDoc& doc);

// The summary page's copy text, the same as its export text.
std::u16string PageText(CPaperDoc& doc);

} // namespace SummaryBridge
