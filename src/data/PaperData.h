// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperData: an ordered collection of measurement series together with the
// instrument's information block that came with them.
//
// The project document owns two collections (the original and the current
// one).  All per-series operations take a 0-based index.  The flag accessors,
// GetValue and the text accessors tolerate an index outside the collection
// (getters give 0, empty text or true for the automatic axis; setters do
// nothing); the other accessors throw std::out_of_range for a bad index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/ChangeSink.h"

#include "data/SeriesRecords.h"


// The eight derived values of one series, in single precision.
struct SeriesStatistics {
    float meanQ = 0;
    float meanR = 0;
    float stdDevQ = 0;
    float stdDevR = 0;
    float minR = 0;
    float maxR = 0;
    float range = 0;
    float meanEnergy = 0;
};

class CPaperData {
public:
    // Marks a value that does not exist (a standard deviation of fewer than
    // one impact, a value that cannot be converted).
    static constexpr float kMissingValue = 65535.0f;

    // Sort modes: odd ascending, even descending; other values reorder nothing.
    enum : uint8_t {
        sortNone = 0,
        sortCounter = 1,
        sortDateTime = 3,
        sortRollId = 5,
        sortMeanQ = 7,
        sortLowerLimit = 9,
        sortUpperLimit = 11,
        sortStdDevQ = 15,
        sortImpactCount = 17,
        sortRange = 19,
        sortMeanEnergy = 21,
    };

    CPaperData();
    ~CPaperData();
    CPaperData(const CPaperData&) = delete;
    CPaperData& operator=(const CPaperData&) = delete;

    // Told about changes made through the setters (the document; may be null).
    void SetChangeSink(IChangeSink* sink) { m_sink = sink; }
    IChangeSink* GetChangeSink() const { return m_sink; }

    int GetCount() const { return static_cast<int>(m_series.size()); }
    bool HasSeries() const { return !m_series.empty(); }
    int GetImpactCount(int i) const;

    // Head fields.
    uint16_t GetCounter(int i) const;
    uint32_t GetDateTime(int i) const;
    void SetDateTime(int i, uint32_t value);
    uint8_t GetRFlag(int i) const;
    void SetRFlag(int i, uint8_t value);
    uint8_t GetFactor(int i) const;
    void SetFactor(int i, uint8_t value);
    // Limits in half-step bytes.  Setting a lower limit above the upper one
    // (or an upper limit below the lower one) swaps the two.
    uint8_t GetLowerLimit(int i) const;
    void SetLowerLimit(int i, uint8_t value);
    uint8_t GetUpperLimit(int i) const;
    void SetUpperLimit(int i, uint8_t value);

    // Texts.
    std::u16string GetRollId(int i) const;
    void SetRollId(int i, const std::u16string& text);
    std::u16string GetComment(int i) const;
    void SetComment(int i, const std::u16string& text);
    std::u16string GetSerial(int i) const { return GetDeviceText(i, 0); }
    // which: 0 serial number (block byte 34), 1 byte 2, 2 byte 48, 3 byte 62,
    // 4 byte 64.  Empty for a bad index or `which`.
    std::u16string GetDeviceText(int i, int which) const;
    void SetDeviceText(int i, int which, const std::u16string& text);
    std::u16string GetLowerLimitText(int i) const;
    std::u16string GetUpperLimitText(int i) const;
    std::u16string GetUnitText(int i) const;

    // Flags.
    int16_t GetGraphOrder(int i) const;
    void SetGraphOrder(int i, int16_t value);
    bool GetAutoAxis(int i) const;
    void SetAutoAxis(int i, bool value);
    bool GetExpanded(int i) const;
    void SetExpanded(int i, bool value);
    bool GetInSummary(int i) const;
    void SetInSummary(int i, bool value);

    // The byte of impact k; converted with the series' factor unless raw
    // (callers multiply by 0.5).  0 for a bad index.
    uint8_t GetValue(int i, int k, bool raw) const;
    const MEAS_T& GetImpact(int i, int k) const;
    const probe_meas_t& GetSeries(int i) const;

    // Statistics of one series, recomputed on every call.  A series without
    // impacts gives means, extremes, range and mean energy 0 and standard
    // deviations kMissingValue.
    SeriesStatistics ComputeStatistics(int i) const;
    static SeriesStatistics ComputeStatistics(const probe_meas_t& series);

    // Number of decimals to show: 1 for the R flags 0 and 1, else 0.
    int GetDisplayInfo(int i) const;

    void Sort(uint8_t mode);
    uint8_t GetSortMode() const { return m_sortMode; }

    void DeleteSeries(int i);
    // Frees every series; the sort mode goes back to 0.
    void Clear();

    // Parses a series byte stream: the instrument download (skipTwo false,
    // 16-byte IDs) or a project file block (skipTwo true; shortId for
    // format 1).  Returns false for an empty or truncated stream; what was
    // parsed stays (a series whose impacts were cut short keeps those read).
    bool ParseSeries(const uint8_t* data, size_t size, bool skipTwo, bool shortId, bool append);

    // Appends every series (or those whose selection byte is non-zero; the
    // selection then has one byte per series) as head + impacts.
    void WriteSeries(std::vector<uint8_t>& out, const uint8_t* selection = nullptr) const;

    // Takes the first 128 bytes; refuses (and changes nothing) when fewer
    // are given.
    bool SetInfoBlock(const uint8_t* data, size_t size);
    void GetInfoBlock(uint8_t* out) const;   // copies 128 bytes
    const DEVICE_INFO_T& GetInfoBlock() const { return m_info; }
    // Gives every series the device texts of the information block.
    void ApplyInfoBlockTexts();

    // Makes this collection a copy of `other` as a fresh parse of its bytes
    // would give, plus its block, texts, summary ticks and sort mode.
    void CopyFrom(const CPaperData& other);

    // Q value byte b converted with factor byte F into the R scale,
    // rounded to the nearest half step and clamped at 255.
    static uint8_t ConvertValue(uint8_t b, uint8_t factor);

private:
    probe_meas_t* Find(int i) const;          // null when out of range
    probe_meas_t& At(int i) const;            // throws std::out_of_range
    void Changed(bool userData);

    std::vector<std::unique_ptr<probe_meas_t>> m_series;
    DEVICE_INFO_T m_info;
    IChangeSink* m_sink = nullptr;
    uint8_t m_sortMode = 0;
};
