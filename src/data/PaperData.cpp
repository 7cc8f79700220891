// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperData: construction, per-series accessors, deletion.
#include "data/PaperData.h"

#include <stdexcept>

#include "data/DataStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

CPaperData::CPaperData() = default;
CPaperData::~CPaperData() = default;

probe_meas_t* CPaperData::Find(int i) const
{
    if (i < 0 || i >= GetCount())
        return nullptr;
    return m_series[static_cast<size_t>(i)].get();
}

probe_meas_t& CPaperData::At(int i) const
{
    probe_meas_t* s = Find(i);
    if (s == nullptr)
        throw std::out_of_range("series index out of range");
    return *s;
}

void CPaperData::Changed(bool userData)
{
    if (m_sink != nullptr)
        m_sink->OnDataChanged(userData);
}

int CPaperData::GetImpactCount(int i) const { return static_cast<int>(At(i).impacts.size()); }
uint16_t CPaperData::GetCounter(int i) const { return At(i).head.counter; }
uint32_t CPaperData::GetDateTime(int i) const { return At(i).head.dateTime; }
uint8_t CPaperData::GetRFlag(int i) const { return At(i).head.rFlag; }
uint8_t CPaperData::GetFactor(int i) const { return At(i).head.factor; }
uint8_t CPaperData::GetLowerLimit(int i) const { return At(i).head.lowerLimit; }
uint8_t CPaperData::GetUpperLimit(int i) const { return At(i).head.upperLimit; }
const probe_meas_t& CPaperData::GetSeries(int i) const { return At(i); }

void CPaperData::SetDateTime(int i, uint32_t value)
{
    probe_meas_t& s = At(i);
    const bool differs = s.head.dateTime != value;
    s.head.dateTime = value;
    Changed(differs);
}

void CPaperData::SetRFlag(int i, uint8_t value)
{
    probe_meas_t& s = At(i);
    const bool differs = s.head.rFlag != value;
    s.head.rFlag = value;
    Changed(differs);
}

void CPaperData::SetFactor(int i, uint8_t value)
{
    probe_meas_t& s = At(i);
    const bool differs = s.head.factor != value;
    s.head.factor = value;
    Changed(differs);
}

void CPaperData::SetLowerLimit(int i, uint8_t value)
{
    SERIES_HEAD_T& h = At(i).head;
    const uint8_t oldLower = h.lowerLimit;
    const uint8_t oldUpper = h.upperLimit;
    if (value > h.upperLimit) {
        h.lowerLimit = h.upperLimit;
        h.upperLimit = value;
    } else {
        h.lowerLimit = value;
    }
    Changed(h.lowerLimit != oldLower || h.upperLimit != oldUpper);
}

void CPaperData::SetUpperLimit(int i, uint8_t value)
{
    SERIES_HEAD_T& h = At(i).head;
    const uint8_t oldLower = h.lowerLimit;
    const uint8_t oldUpper = h.upperLimit;
    if (value < h.lowerLimit) {
        h.upperLimit = h.lowerLimit;
        h.lowerLimit = value;
    } else {
        h.upperLimit = value;
    }
    Changed(h.lowerLimit != oldLower || h.upperLimit != oldUpper);
}

std::u16string CPaperData::GetRollId(int i) const
{
    const probe_meas_t* s = Find(i);
    return s != nullptr ? s->rollId : std::u16string();
}

void CPaperData::SetRollId(int i, const std::u16string& text)
{
    probe_meas_t* s = Find(i);
    if (s == nullptr)
        return;
    const bool differs = s->rollId != text;
    s->rollId = text;
    // The head keeps the ID too (8-bit, at most 16 characters), so that a
    // cleared or shortened ID does not come back from the head when the
    // project is opened again (only non-empty ID texts are stored in the list).
    for (size_t k = 0; k < SeriesBytes::kRollIdSize; ++k) {
        uint8_t b = 0;
        if (k < text.size())
            b = text[k] <= 0xFF ? static_cast<uint8_t>(text[k]) : static_cast<uint8_t>('?');
        s->head.rollId[k] = b;
    }
    Changed(differs);
}

std::u16string CPaperData::GetComment(int i) const
{
    const probe_meas_t* s = Find(i);
    return s != nullptr ? s->comment : std::u16string();
}

void CPaperData::SetComment(int i, const std::u16string& text)
{
    probe_meas_t* s = Find(i);
    if (s == nullptr)
        return;
    const bool differs = s->comment != text;
    s->comment = text;
    Changed(differs);
}

std::u16string CPaperData::GetDeviceText(int i, int which) const
{
    const probe_meas_t* s = Find(i);
    if (s == nullptr || which < 0 || which >= SeriesBytes::kDeviceTextCount)
        return {};
    return (*s->deviceTexts)[static_cast<size_t>(which)];
}

void CPaperData::SetDeviceText(int i, int which, const std::u16string& text)
{
    probe_meas_t* s = Find(i);
    if (s == nullptr || which < 0 || which >= SeriesBytes::kDeviceTextCount)
        return;
    const size_t w = static_cast<size_t>(which);
    if ((*s->deviceTexts)[w] == text)
        return;
    // Series share their texts; a series whose text differs gets its own
    // copy.  A series whose neighbour already holds the same texts shares
    // the neighbour's copy, so lists read in order do not copy per series.
    DeviceTexts changed = *s->deviceTexts;
    changed[w] = text;
    if (i > 0) {
        const SharedDeviceTexts& prev = m_series[static_cast<size_t>(i) - 1]->deviceTexts;
        if (*prev == changed) {
            s->deviceTexts = prev;
            return;
        }
    }
    s->deviceTexts = std::make_shared<const DeviceTexts>(std::move(changed));
}

std::u16string CPaperData::GetLowerLimitText(int i) const
{
    return Platform::Format("%0.1f", GetLowerLimit(i) * 0.5);
}

std::u16string CPaperData::GetUpperLimitText(int i) const
{
    return Platform::Format("%0.1f", GetUpperLimit(i) * 0.5);
}

std::u16string CPaperData::GetUnitText(int i) const
{
    switch (GetRFlag(i)) {
    case 0:
        return Platform::LoadString(DataStrings::kUnitQ);
    case 1:
        return Platform::LoadString(DataStrings::kUnitR);
    default:
        return Platform::LoadString(DataStrings::kUnknownUnit);
    }
}

int16_t CPaperData::GetGraphOrder(int i) const
{
    const probe_meas_t* s = Find(i);
    return s != nullptr ? s->graphOrder : 0;
}

void CPaperData::SetGraphOrder(int i, int16_t value)
{
    if (probe_meas_t* s = Find(i)) {
        s->graphOrder = value;
        Changed(false);
    }
}

bool CPaperData::GetAutoAxis(int i) const
{
    const probe_meas_t* s = Find(i);
    return s != nullptr ? s->autoAxis : true;
}

void CPaperData::SetAutoAxis(int i, bool value)
{
    if (probe_meas_t* s = Find(i)) {
        s->autoAxis = value;
        Changed(false);
    }
}

bool CPaperData::GetExpanded(int i) const
{
    const probe_meas_t* s = Find(i);
    return s != nullptr && s->expanded;
}

void CPaperData::SetExpanded(int i, bool value)
{
    if (probe_meas_t* s = Find(i)) {
        s->expanded = value;
        Changed(false);
    }
}

bool CPaperData::GetInSummary(int i) const
{
    const probe_meas_t* s = Find(i);
    return s != nullptr && s->inSummary;
}

void CPaperData::SetInSummary(int i, bool value)
{
    if (probe_meas_t* s = Find(i)) {
        s->inSummary = value;
        Changed(false);
    }
}

uint8_t CPaperData::GetValue(int i, int k, bool raw) const
{
    const probe_meas_t* s = Find(i);
    if (s == nullptr || k < 0 || static_cast<size_t>(k) >= s->impacts.size())
        return 0;
    const uint8_t b = s->impacts[static_cast<size_t>(k)].value;
    return raw ? b : ConvertValue(b, s->head.factor);
}

const MEAS_T& CPaperData::GetImpact(int i, int k) const
{
    const probe_meas_t& s = At(i);
    if (k < 0 || static_cast<size_t>(k) >= s.impacts.size())
        throw std::out_of_range("impact index out of range");
    return s.impacts[static_cast<size_t>(k)];
}

int CPaperData::GetDisplayInfo(int i) const
{
    const uint8_t flag = GetRFlag(i);
    return flag == 0 || flag == 1 ? 1 : 0;
}

void CPaperData::DeleteSeries(int i)
{
    At(i);
    m_series.erase(m_series.begin() + i);
    Changed(true);
}

void CPaperData::Clear()
{
    m_series.clear();
    m_sortMode = 0;
}
