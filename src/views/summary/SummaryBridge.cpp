// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryBridge.h"

#include "data/PaperDoc.h"
#include "data/SummaryPageText.h"
#include "views/ViewSettings.h"

namespace SummaryBridge {

bool Build(CPaperDoc& doc)
{
    return doc.BuildSummary();
}

std::u16string PageText(CPaperDoc& doc)
{
    return SummaryPageText::ExportText(doc, ViewSettings::DtFormat());
}

} // namespace SummaryBridge
