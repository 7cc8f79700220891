// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the paste path with arbitrary clipboard bytes (a 32-bit
// length and a project stream behind it), into an empty document and into
// one that holds series.  A paste is all or nothing: when it is refused the
// document must hold exactly what it held before.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data/Clipboard.h"
#include "data/ClipboardData.h"
#include "data/PaperDoc.h"
#include "streamio/IoStream.h"

namespace {

CMemoryClipboard& TheClipboard()
{
    static CMemoryClipboard* clipboard = [] {
        StreamIO::Initialize();   // the RAM disk the paste reads through
        auto* c = new CMemoryClipboard;
        Clipboard::SetProcess(c);
        return c;
    }();
    return *clipboard;
}

// Gives the document the series of a payload that pasted, so the next
// paste merges into a document that holds series.
void Fill(CPaperDoc& doc, const std::vector<uint8_t>& seed)
{
    if (!seed.empty())
        TheClipboard().SetData(ClipboardData::kFormatName, seed);
    doc.PasteFromClipboard();
}

void PasteInto(CPaperDoc& doc, const std::vector<uint8_t>& bytes)
{
    const int before = doc.GetCount();
    TheClipboard().SetData(ClipboardData::kFormatName, bytes);
    doc.CanPaste();
    if (!doc.PasteFromClipboard() && doc.GetCount() != before)
        std::abort();
    for (int i = 0; i < doc.GetCount(); ++i) {
        doc.GetCurrent().ComputeStatistics(i);
        doc.GetCurrent().GetSerial(i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TheClipboard();
    const std::vector<uint8_t> bytes(data, data + size);
    CPaperDoc empty;
    PasteInto(empty, bytes);

    // The same bytes with a length that matches them exactly reach the
    // project reader more often.
    const std::vector<uint8_t> framed = ClipboardData::Pack(data, size);
    CPaperDoc holding;
    if (empty.GetCount() > 0)
        Fill(holding, bytes);
    PasteInto(holding, framed);
    return 0;
}
