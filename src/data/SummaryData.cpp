// SPDX-License-Identifier: GPL-3.0-or-later
// CSummaryData: the record list and the accessors on record 0.
#include "data/SummaryData.h"

#include <stdexcept>

#include "data/DataStrings.h"
#include "data/SummaryStrings.h"
#include "platform/StringTable.h"

CSummaryData::CSummaryData() = default;
CSummaryData::~CSummaryData() = default;

summary_probe_meas_t& CSummaryData::AddRecord()
{
    m_records.push_back(std::make_unique<summary_probe_meas_t>());
    return *m_records.back();
}

summary_probe_meas_t& CSummaryData::GetRecord(int i)
{
    if (i < 0 || i >= GetCount())
        throw std::out_of_range("summary record index out of range");
    return *m_records[static_cast<size_t>(i)];
}

const summary_probe_meas_t& CSummaryData::GetRecord(int i) const
{
    return const_cast<CSummaryData*>(this)->GetRecord(i);
}

std::u16string CSummaryData::GetComment(int i) const
{
    if (i < 0 || i >= GetCount())
        return {};
    return m_records[static_cast<size_t>(i)]->comment;
}

void CSummaryData::SetComment(int i, const std::u16string& text)
{
    if (i < 0 || i >= GetCount())
        return;
    summary_probe_meas_t& r = *m_records[static_cast<size_t>(i)];
    const bool differs = r.comment != text;
    r.comment = text;
    Changed(differs);
}

void CSummaryData::Changed(bool userData)
{
    if (m_sink != nullptr)
        m_sink->OnDataChanged(userData);
}

summary_probe_meas_t* CSummaryData::First() const
{
    return m_records.empty() ? nullptr : m_records.front().get();
}

summary_probe_meas_t& CSummaryData::FirstOrNew()
{
    return m_records.empty() ? AddRecord() : *m_records.front();
}

const MEAS_CONVERTED_T* CSummaryData::Entry(int i) const
{
    const summary_probe_meas_t* r = First();
    if (r == nullptr || i < 0 || static_cast<size_t>(i) >= r->entries.size())
        return nullptr;
    return &r->entries[static_cast<size_t>(i)];
}

uint8_t CSummaryData::GetAveragingMode() const
{
    const summary_probe_meas_t* r = First();
    return r != nullptr ? r->averagingMode : summary_probe_meas_t::kMean;
}

void CSummaryData::SetAveragingMode(uint8_t mode)
{
    // Not stored in the project file: the document's data changed, but
    // there is nothing to save.
    FirstOrNew().averagingMode = mode;
    Changed(false);
}

int16_t CSummaryData::GetDisplaySetting() const
{
    const summary_probe_meas_t* r = First();
    return r != nullptr ? r->displaySetting : int16_t{-1};
}

void CSummaryData::SetDisplaySetting(int16_t value)
{
    summary_probe_meas_t& r = FirstOrNew();
    const bool differs = r.displaySetting != value;
    r.displaySetting = value;
    Changed(differs);
}

void CSummaryData::SetComment(const std::u16string& text)
{
    FirstOrNew();
    SetComment(0, text);
}

uint8_t CSummaryData::GetUnit() const
{
    const summary_probe_meas_t* r = First();
    return r != nullptr ? r->head.rFlag : uint8_t{0};
}

std::u16string CSummaryData::GetUnitText() const
{
    switch (GetUnit()) {
    case 0:
        return Platform::LoadString(DataStrings::kUnitQ);
    case 1:
        return Platform::LoadString(DataStrings::kUnitR);
    case 254:
        return Platform::LoadString(SummaryStrings::kDifferentUnits);
    default:
        return Platform::LoadString(DataStrings::kUnknownUnit);
    }
}

int CSummaryData::GetDisplayInfo() const
{
    return GetUnit() <= 1 ? 1 : 0;
}

std::u16string CSummaryData::GetSerial() const
{
    const summary_probe_meas_t* r = First();
    if (r == nullptr)
        return {};
    // The text is loaded on every call so that a change of language shows.
    return r->differentSerials ? Platform::LoadString(SummaryStrings::kDifferentSerials) : r->serial;
}

uint32_t CSummaryData::GetEarliest() const
{
    const summary_probe_meas_t* r = First();
    return r != nullptr ? r->earliest : 0xFFFFFFFFu;
}

uint32_t CSummaryData::GetLatest() const
{
    const summary_probe_meas_t* r = First();
    return r != nullptr ? r->latest : 0u;
}

int CSummaryData::GetEntryCount() const
{
    const summary_probe_meas_t* r = First();
    return r != nullptr ? static_cast<int>(r->entries.size()) : 0;
}

uint8_t CSummaryData::GetEntryValue(int i) const
{
    const MEAS_CONVERTED_T* e = Entry(i);
    return e != nullptr ? e->value : uint8_t{0};
}

float CSummaryData::GetEntryConvertedMean(int i) const
{
    const MEAS_CONVERTED_T* e = Entry(i);
    return e != nullptr ? e->convertedMean : kMissingValue;
}

uint16_t CSummaryData::GetEntryCounter(int i) const
{
    const MEAS_CONVERTED_T* e = Entry(i);
    return e != nullptr ? e->counter : uint16_t{0};
}

int CSummaryData::GetEntrySeriesIndex(int i) const
{
    const MEAS_CONVERTED_T* e = Entry(i);
    return e != nullptr ? static_cast<int>(e->seriesIndex) : -1;
}

std::u16string CSummaryData::GetEntryRollId(int i) const
{
    const MEAS_CONVERTED_T* e = Entry(i);
    return e != nullptr ? e->rollId : std::u16string();
}

uint8_t CSummaryData::GetEntryFlag(int i) const
{
    const summary_probe_meas_t* r = First();
    if (r == nullptr || i < 0 || static_cast<size_t>(i) >= r->flags.size())
        return 0;
    return r->flags[static_cast<size_t>(i)];
}

SummaryStatistics CSummaryData::ComputeStatistics()
{
    SummaryStatistics results;
    if (summary_probe_meas_t* r = First())
        ComputeSummaryStatistics(*r, r->averagingMode, results);
    return results;
}
