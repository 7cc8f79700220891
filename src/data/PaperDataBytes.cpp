// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperData: the series byte stream (parse and write), the information
// block and copying a collection.
#include <algorithm>
#include <cstring>

#include "data/PaperData.h"

using namespace SeriesBytes;

bool CPaperData::ParseSeries(const uint8_t* data, size_t size, bool skipTwo, bool shortId, bool append)
{
    if (!append)
        Clear();
    if (data == nullptr || size == 0)
        return false;

    // The instrument's record has no R flag or factor; a stored head carries
    // them in the two bytes that skipTwo passes over.
    const size_t idSize = shortId ? kShortRollIdSize : kRollIdSize;
    const size_t headSize = idSize + 2 + 4 + 1 + (skipTwo ? 2 : 0) + 1 + 1 + 2;
    bool complete = true;
    size_t pos = 0;
    while (pos < size) {
        if (size - pos < headSize) {
            complete = false;   // a head cut short: that series is not added
            break;
        }
        auto series = std::make_unique<probe_meas_t>();
        SERIES_HEAD_T& h = series->head;
        const uint8_t* p = data + pos;
        std::memcpy(h.rollId, p, idSize);
        p += idSize;
        h.counter = Get16(p);
        p += 2;
        h.dateTime = Get32(p);
        p += 4;
        const uint8_t count = *p++;
        h.rFlag = 1;
        h.factor = 200;
        if (skipTwo)
            p += 2;
        h.lowerLimit = *p++;
        h.upperLimit = *p++;
        pos += headSize;

        for (size_t k = 0; k < idSize && h.rollId[k] != 0; ++k)
            series->rollId.push_back(static_cast<char16_t>(h.rollId[k]));

        const size_t available = (size - pos) / kMeasSize;
        const size_t take = std::min<size_t>(count, available);
        series->impacts.resize(take);
        for (size_t k = 0; k < take; ++k, pos += kMeasSize)
            series->impacts[k] = LoadMeas(data + pos);
        h.impactCount = static_cast<uint8_t>(take);
        m_series.push_back(std::move(series));
        if (take < count) {
            complete = false;   // impacts cut short: the series keeps those read
            break;
        }
    }
    ApplyInfoBlockTexts();
    return complete;
}

void CPaperData::WriteSeries(std::vector<uint8_t>& out, const uint8_t* selection) const
{
    size_t total = 0;
    for (size_t i = 0; i < m_series.size(); ++i)
        if (selection == nullptr || selection[i] != 0)
            total += kHeadSize + kMeasSize * m_series[i]->impacts.size();
    size_t pos = out.size();
    out.resize(pos + total);
    for (size_t i = 0; i < m_series.size(); ++i) {
        if (selection != nullptr && selection[i] == 0)
            continue;
        const probe_meas_t& s = *m_series[i];
        SERIES_HEAD_T head = s.head;
        head.impactCount = static_cast<uint8_t>(s.impacts.size());
        StoreHead(head, out.data() + pos);
        pos += kHeadSize;
        for (const MEAS_T& m : s.impacts) {
            StoreMeas(m, out.data() + pos);
            pos += kMeasSize;
        }
    }
}

bool CPaperData::SetInfoBlock(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < kInfoSize)
        return false;
    std::memcpy(m_info.bytes, data, kInfoSize);
    return true;
}

void CPaperData::GetInfoBlock(uint8_t* out) const
{
    std::memcpy(out, m_info.bytes, kInfoSize);
}

void CPaperData::ApplyInfoBlockTexts()
{
    auto texts = std::make_shared<DeviceTexts>();
    for (size_t w = 0; w < kDeviceTextOffsets.size(); ++w)
        (*texts)[w] = DeviceText(m_info, kDeviceTextOffsets[w]);
    const SharedDeviceTexts shared = std::move(texts);
    for (auto& s : m_series)
        s->deviceTexts = shared;
}

void CPaperData::CopyFrom(const CPaperData& other)
{
    if (&other == this)
        return;
    std::vector<uint8_t> bytes;
    other.WriteSeries(bytes);
    ParseSeries(bytes.data(), bytes.size(), true, false, false);
    m_info = other.m_info;
    const size_t n = std::min(m_series.size(), other.m_series.size());
    for (size_t i = 0; i < n; ++i) {
        probe_meas_t& mine = *m_series[i];
        const probe_meas_t& theirs = *other.m_series[i];
        mine.comment = theirs.comment;
        mine.rollId = theirs.rollId;
        mine.deviceTexts = theirs.deviceTexts;
        mine.inSummary = theirs.inSummary;
    }
    m_sortMode = other.m_sortMode;
}
