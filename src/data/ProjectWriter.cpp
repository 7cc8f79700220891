// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc::WriteProject to an archive: the whole document, or only the
// selected current series (clipboard data).
#include <vector>

#include "data/PaperDoc.h"
#include "streamio/VnArchive.h"

using StreamIO::CVnArchive;

namespace {

constexpr int kReservedWords = 20;

void WriteBlock(CVnArchive& ar, const uint8_t* data, size_t size)
{
    ar.Write32(static_cast<uint32_t>(size));
    ar.WriteBytes(data, size);
}

void WriteSeriesBlock(CVnArchive& ar, const CPaperData& data, const uint8_t* selection)
{
    std::vector<uint8_t> bytes;
    data.WriteSeries(bytes, selection);
    WriteBlock(ar, bytes.data(), bytes.size());
}

// A text list of the given series; getText(i) gives the text of series i.
template <class GetText>
void WriteTextList(CVnArchive& ar, const std::vector<int>& series, GetText getText)
{
    ar.Write32(static_cast<uint32_t>(series.size()));
    for (int i : series)
        ar.WriteText(getText(i));
}

std::vector<int> AllSeries(const CPaperData& data)
{
    std::vector<int> all(static_cast<size_t>(data.GetCount()));
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return all;
}

} // namespace

void CPaperDoc::WriteProject(CVnArchive& ar, const uint8_t* selection) const
{
    const bool selected = selection != nullptr;
    std::vector<int> current;
    for (int i = 0; i < m_current.GetCount(); ++i)
        if (!selected || selection[i] != 0)
            current.push_back(i);
    const std::vector<int> original = selected ? std::vector<int>() : AllSeries(m_original);

    // 1-3: header, writer version, format.
    ar.WriteText(kHeaderText);
    for (uint16_t part : m_writerVersion)
        ar.Write16(part);
    ar.Write16(kFormat);

    // 4-7: information blocks and series (no original data in a selection).
    if (selected) {
        ar.Write32(0);
        ar.Write32(0);
    } else {
        WriteBlock(ar, m_original.GetInfoBlock().bytes, SeriesBytes::kInfoSize);
        WriteSeriesBlock(ar, m_original, nullptr);
    }
    WriteBlock(ar, m_current.GetInfoBlock().bytes, SeriesBytes::kInfoSize);
    WriteSeriesBlock(ar, m_current, selection);

    // 8, 9: comments and roll IDs.
    WriteTextList(ar, current, [&](int i) -> const std::u16string& { return m_current.GetSeries(i).comment; });
    WriteTextList(ar, current, [&](int i) -> const std::u16string& { return m_current.GetSeries(i).rollId; });

    // 10-19: device texts, the original's list then the current's.
    for (int which = 0; which < SeriesBytes::kDeviceTextCount; ++which) {
        const size_t w = static_cast<size_t>(which);
        WriteTextList(ar, original, [&](int i) -> const std::u16string& {
            return (*m_original.GetSeries(i).deviceTexts)[w];
        });
        WriteTextList(ar, current, [&](int i) -> const std::u16string& {
            return (*m_current.GetSeries(i).deviceTexts)[w];
        });
    }

    // 20: graph orders.
    ar.Write32(static_cast<uint32_t>(current.size()));
    for (int i : current)
        ar.Write16(static_cast<uint16_t>(m_current.GetGraphOrder(i)));

    // 21: summary records.
    ar.Write32(static_cast<uint32_t>(m_summary.GetCount()));
    for (int r = 0; r < m_summary.GetCount(); ++r) {
        const summary_probe_meas_t& record = m_summary.GetRecord(r);
        ar.WriteText(record.comment);
        ar.Write16(static_cast<uint16_t>(record.displaySetting));
        ar.WriteByte(record.averagingMode);
    }

    // 22: automatic value axis.  23: reserved.
    ar.Write32(static_cast<uint32_t>(current.size()));
    for (int i : current)
        ar.WriteByte(m_current.GetAutoAxis(i) ? 1 : 0);
    for (int k = 0; k < kReservedWords; ++k)
        ar.Write32(0);
}
