// SPDX-License-Identifier: GPL-3.0-or-later
// CSummaryData: the summary records of the project document.
//
// The program uses record 0: Build fills it from the series of the current
// collection that are ticked for the summary (one entry per series, in
// collection order), and the accessors below read it.  The project file
// stores every record's comment and display setting; the entries are
// rebuilt and never stored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/ChangeSink.h"

#include "data/SummaryRecords.h"
#include "data/SummaryStatistics.h"

class CPaperData;

class CSummaryData {
public:
    // The converted mean of an entry whose series has no value.
    static constexpr float kMissingValue = 65535.0f;

    CSummaryData();
    ~CSummaryData();
    CSummaryData(const CSummaryData&) = delete;
    CSummaryData& operator=(const CSummaryData&) = delete;

    // Told about changes made through the setters (the document; may be null).
    void SetChangeSink(IChangeSink* sink) { m_sink = sink; }
    IChangeSink* GetChangeSink() const { return m_sink; }

    int GetCount() const { return static_cast<int>(m_records.size()); }
    bool IsEmpty() const { return m_records.empty(); }
    void Clear() { m_records.clear(); }

    // Appends a record with the initial values and returns it.
    summary_probe_meas_t& AddRecord();
    // Record i; throws std::out_of_range for a bad index.
    summary_probe_meas_t& GetRecord(int i);
    const summary_probe_meas_t& GetRecord(int i) const;

    // Comment of record i (empty, or nothing done, when there is no record i).
    std::u16string GetComment(int i) const;
    void SetComment(int i, const std::u16string& text);

    // Rebuilds record 0 (created when missing) from `current`:
    //  - the unit is the R flag (0 or 1) that most ticked series carry, Q on
    //    a tie; ticked series of any other R flag are unticked;
    //  - every series still ticked gives one entry, in collection order;
    //    a series without impacts gives an entry without a value (65535);
    //  - the earliest and latest time stamps (unsigned) and the serial
    //    number of the first series, or "different serials".
    // Without series in `current` the entries of record 0 are dropped too
    // (so no deleted series stays in the summary) and the result is false.
    // Comment, display setting and averaging mode survive.
    bool Build(CPaperData& current);

    // Record 0.  Without a record: mode 2, setting -1, unit 0, no entries,
    // empty texts, earliest 0xFFFFFFFF and latest 0; setters create it.
    uint8_t GetAveragingMode() const;
    void SetAveragingMode(uint8_t mode);          // 2 mean, 1 median
    int16_t GetDisplaySetting() const;
    void SetDisplaySetting(int16_t value);
    uint8_t GetUnit() const;                      // R flag of the summary
    // "Q", "R", "different units" (254) or "unknown unit".
    std::u16string GetUnitText() const;
    // Decimals of the shown values: 1 for the units Q and R, else 0.
    int GetDisplayInfo() const;
    std::u16string GetComment() const { return GetComment(0); }
    void SetComment(const std::u16string& text);
    // The serial number shared by the series, or "Different serials" in the
    // language active now.
    std::u16string GetSerial() const;
    uint32_t GetEarliest() const;
    uint32_t GetLatest() const;

    // Entries of record 0.  A bad index gives 0, empty text, -1 for the
    // series index or 65535 for the converted mean.
    int GetEntryCount() const;
    uint8_t GetEntryValue(int i) const;           // mean Q in half steps
    float GetEntryConvertedMean(int i) const;     // 65535: no value
    uint16_t GetEntryCounter(int i) const;
    int GetEntrySeriesIndex(int i) const;
    std::u16string GetEntryRollId(int i) const;
    uint8_t GetEntryFlag(int i) const;            // the per-entry byte of the statistics

    // Statistics of record 0 in its averaging mode (all 0 without a record).
    SummaryStatistics ComputeStatistics();

protected:
    void Changed(bool userData);

private:
    summary_probe_meas_t* First() const;
    summary_probe_meas_t& FirstOrNew();
    const MEAS_CONVERTED_T* Entry(int i) const;

    std::vector<std::unique_ptr<summary_probe_meas_t>> m_records;
    IChangeSink* m_sink = nullptr;
};
