// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc::ReadProject: reads a project stream (a project file or the
// clipboard data), either replacing the document or merging into it.
//
// The stream comes from outside: every length and count is checked against
// the bytes that remain before anything is allocated or read, so a damaged
// or hostile stream ends in a file exception, never in a crash, a hang or an
// allocation larger than the stream.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "data/PaperDoc.h"
#include "streamio/VnArchive.h"

using StreamIO::CVnArchive;

namespace {

// Blocks are read in slices of this size so that a stream that cannot tell
// its length does not make the reader allocate a block it does not hold.
constexpr size_t kBlockSlice = size_t{1} << 20;

// Smallest encoded size of one list entry.
constexpr size_t kMinTextSize = 3;      // marker + 16-bit count
constexpr size_t kMinSummarySize = 6;   // empty text + 16-bit + byte

// A 32-bit count of entries of at least `minSize` bytes each; counts that
// the rest of the stream cannot hold are rejected as invalid data.
uint32_t ReadCount(CVnArchive& ar, size_t minSize)
{
    const uint32_t count = ar.Read32();
    const size_t remaining = ar.Remaining();
    if (remaining != SIZE_MAX && count > remaining / minSize)
        ar.ThrowInvalidData();
    return count;
}

std::vector<uint8_t> ReadBlock(CVnArchive& ar)
{
    const uint32_t length = ReadCount(ar, 1);
    std::vector<uint8_t> bytes;
    size_t done = 0;
    while (done < length) {
        const size_t slice = std::min<size_t>(kBlockSlice, length - done);
        bytes.resize(done + slice);
        ar.ReadBytes(bytes.data() + done, slice);
        done += slice;
    }
    return bytes;
}

void ReadInfoBlock(CVnArchive& ar, CPaperData* target)
{
    const std::vector<uint8_t> block = ReadBlock(ar);
    if (target != nullptr && !target->SetInfoBlock(block.data(), block.size()))
        ar.ThrowInvalidData();
}

// Reads a series block into `target` (null: read and drop).  Returns false
// when the block holds bytes that did not parse completely.
bool ReadSeriesBlock(CVnArchive& ar, CPaperData* target, bool shortId, bool append)
{
    const std::vector<uint8_t> block = ReadBlock(ar);
    if (target == nullptr)
        return true;
    const bool parsed = target->ParseSeries(block.data(), block.size(), true, shortId, append);
    return parsed || block.empty();
}

// Reads a text list; entry i goes to store(i, text).
template <class Store>
void ReadTextList(CVnArchive& ar, Store store)
{
    const uint32_t count = ReadCount(ar, kMinTextSize);
    for (uint32_t i = 0; i < count; ++i)
        store(static_cast<size_t>(i), ar.ReadText());
}

// Series `first + i` of the collection, or -1 when it does not exist.
int Target(const CPaperData& data, size_t first, size_t i)
{
    const size_t index = first + i;
    return index < static_cast<size_t>(data.GetCount()) ? static_cast<int>(index) : -1;
}

// Detaches the collections from the document while a stream is read, so
// that filling them in is not taken for the user's edits.
class CDetachGuard {
public:
    CDetachGuard(CPaperData& data, CSummaryData& summary)
        : m_data(data), m_summary(summary), m_dataSink(data.GetChangeSink()),
          m_summarySink(summary.GetChangeSink())
    {
        m_data.SetChangeSink(nullptr);
        m_summary.SetChangeSink(nullptr);
    }
    ~CDetachGuard()
    {
        m_data.SetChangeSink(m_dataSink);
        m_summary.SetChangeSink(m_summarySink);
    }
    CDetachGuard(const CDetachGuard&) = delete;
    CDetachGuard& operator=(const CDetachGuard&) = delete;

private:
    CPaperData& m_data;
    CSummaryData& m_summary;
    IChangeSink* m_dataSink;
    IChangeSink* m_summarySink;
};

} // namespace

CPaperDoc::ReadResult CPaperDoc::ReadProject(CVnArchive& ar, bool merge)
{
    CDetachGuard guard(m_current, m_summary);
    ReadResult result;

    // 1-3: header, writer version, format.
    m_headingRead = false;
    if (ar.ReadText() != kHeaderText)
        ar.ThrowInvalidData();
    m_headingRead = true;
    for (uint16_t& part : result.writerVersion)
        part = ar.Read16();
    result.format = ar.Read16();
    const bool shortId = result.format == 1;

    // 4-7: information blocks and series.  Merging leaves the original
    // alone and appends to the current collection; the pasted block replaces
    // the current one and every current series takes its device texts.
    CPaperData* original = merge ? nullptr : &m_original;
    const size_t first = merge ? static_cast<size_t>(m_current.GetCount()) : 0;
    ReadInfoBlock(ar, original);
    result.complete = ReadSeriesBlock(ar, original, shortId, false) && result.complete;
    ReadInfoBlock(ar, &m_current);
    result.complete = ReadSeriesBlock(ar, &m_current, shortId, merge) && result.complete;
    m_current.ApplyInfoBlockTexts();

    // 8, 9: comments and roll IDs of the current series.
    ReadTextList(ar, [&](size_t i, const std::u16string& text) {
        const int t = Target(m_current, first, i);
        if (t >= 0)
            m_current.SetComment(t, text);
    });
    ReadTextList(ar, [&](size_t i, const std::u16string& text) {
        const int t = Target(m_current, first, i);
        if (t >= 0 && !text.empty())
            m_current.SetRollId(t, text);
    });

    // 10-19: the five device texts, the original's list then the current's.
    for (int which = 0; which < SeriesBytes::kDeviceTextCount; ++which) {
        ReadTextList(ar, [&](size_t i, const std::u16string& text) {
            const int t = original != nullptr ? Target(m_original, 0, i) : -1;
            if (t >= 0)
                m_original.SetDeviceText(t, which, text);
        });
        ReadTextList(ar, [&](size_t i, const std::u16string& text) {
            const int t = Target(m_current, first, i);
            if (t >= 0)
                m_current.SetDeviceText(t, which, text);
        });
    }

    // 20: graph orders.
    const uint32_t orders = ReadCount(ar, 2);
    for (uint32_t i = 0; i < orders; ++i) {
        const int16_t order = static_cast<int16_t>(ar.Read16());
        const int t = Target(m_current, first, i);
        if (t >= 0)
            m_current.SetGraphOrder(t, order);
    }

    // 21: summary records, taken only into an empty summary.
    const bool takeSummary = m_summary.IsEmpty();
    const uint32_t records = ReadCount(ar, kMinSummarySize);
    for (uint32_t i = 0; i < records; ++i) {
        std::u16string comment = ar.ReadText();
        const int16_t setting = static_cast<int16_t>(ar.Read16());
        ar.ReadByte();
        if (takeSummary) {
            summary_probe_meas_t& record = m_summary.AddRecord();
            record.comment = std::move(comment);
            record.displaySetting = setting;
            record.averagingMode = 2;
        }
    }

    // 22: automatic value axis (format 3 on).  23 is not read.
    if (result.format >= 3) {
        const uint32_t axes = ReadCount(ar, 1);
        for (uint32_t i = 0; i < axes; ++i) {
            const uint8_t automatic = ar.ReadByte();
            const int t = Target(m_current, first, i);
            if (t >= 0)
                m_current.SetAutoAxis(t, automatic != 0);
        }
    }
    return result;
}
