#include "data/SpreadsheetExport.h"

#include <charconv>
#include <cstdio>

#include "data/AtomicFile.h"
#include "data/DataStrings.h"
#include "data/PaperData.h"
#include "platform/DateTimeFormat.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace SpreadsheetExport {

namespace {

// Marker of a missing value (a standard deviation that does not exist).
constexpr float kMissing = 65535.0f;

// A number with a fixed count of decimals and a dot, independent of the
// C locale (the desktop program runs with the user's LC_NUMERIC).
std::string Fixed(double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return std::string();
    return std::string(buffer, result.ptr);
}

std::string Integer(long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Caption(uint32_t id)
{
    return QuoteField(Platform::ToUtf8(Platform::LoadString(id)));
}

class CRowWriter {
public:
    explicit CRowWriter(std::string& out) : m_out(out) {}
    ~CRowWriter() { m_out += "\r\n"; }
    CRowWriter(const CRowWriter&) = delete;
    CRowWriter& operator=(const CRowWriter&) = delete;

    // A field that is already quoted as needed (numbers, captions).
    void Raw(const std::string& field)
    {
        if (m_count++ > 0)
            m_out += ',';
        m_out += field;
    }
    void Text(const std::u16string& text) { Raw(QuoteField(Platform::ToUtf8(text))); }

private:
    std::string& m_out;
    int m_count = 0;
};

void SeriesHeader(std::string& out)
{
    CRowWriter row(out);
    for (uint32_t id : {DataStrings::kCsvRollId, DataStrings::kCsvCounter, DataStrings::kCsvDateTime,
                        DataStrings::kCsvUnit, DataStrings::kCsvImpacts, DataStrings::kCsvMean,
                        DataStrings::kCsvStdDev, DataStrings::kCsvRange, DataStrings::kCsvMinimum,
                        DataStrings::kCsvMaximum, DataStrings::kCsvLowerLimit, DataStrings::kCsvUpperLimit,
                        DataStrings::kCsvComment})
        row.Raw(Caption(id));
}

void ImpactsHeader(std::string& out)
{
    CRowWriter row(out);
    for (uint32_t id : {DataStrings::kCsvRollId, DataStrings::kCsvCounter, DataStrings::kCsvDateTime,
                        DataStrings::kCsvImpactNumber, DataStrings::kCsvUnit, DataStrings::kCsvValue,
                        DataStrings::kCsvValueQ, DataStrings::kCsvEnergy, DataStrings::kCsvStatus})
        row.Raw(Caption(id));
}

// The fields every row starts with: roll ID, counter, date and time.
void SeriesKey(CRowWriter& row, const CPaperData& data, int s)
{
    row.Text(data.GetRollId(s));
    row.Raw(Integer(data.GetCounter(s)));
    row.Raw(IsoDateTime(data.GetDateTime(s)));
}

// Limits are stored in half steps of Q.
std::string Limit(uint8_t stored)
{
    return Fixed(stored * 0.5, 1);
}

void SeriesRow(std::string& out, const CPaperData& data, int s)
{
    CRowWriter row(out);
    SeriesKey(row, data, s);
    const SeriesStatistics st = data.ComputeStatistics(s);
    const bool rValues = data.GetRFlag(s) == 1;
    const int impacts = data.GetImpactCount(s);
    const float mean = rValues ? st.meanR : st.meanQ;
    const float stdDev = rValues ? st.stdDevR : st.stdDevQ;
    row.Text(data.GetUnitText(s));
    row.Raw(Integer(impacts));
    // Without impacts there is no mean, minimum or maximum, and a standard
    // deviation needs two impacts: such fields stay empty (a missing value
    // in a spreadsheet), never a made-up 0.
    row.Raw(impacts > 0 ? Fixed(mean, 2) : std::string());
    row.Raw(impacts > 1 && stdDev != kMissing ? Fixed(stdDev, 2) : std::string());
    row.Raw(impacts > 0 ? Fixed(st.range, 1) : std::string());
    row.Raw(impacts > 0 ? Fixed(st.minR, 1) : std::string());
    row.Raw(impacts > 0 ? Fixed(st.maxR, 1) : std::string());
    row.Raw(Limit(data.GetLowerLimit(s)));
    row.Raw(Limit(data.GetUpperLimit(s)));
    row.Text(data.GetComment(s));
}

void ImpactRows(std::string& out, const CPaperData& data, int s)
{
    const bool rValues = data.GetRFlag(s) == 1;
    const std::u16string unit = data.GetUnitText(s);
    const int impacts = data.GetImpactCount(s);
    for (int k = 0; k < impacts; ++k) {
        const MEAS_T& impact = data.GetImpact(s, k);
        CRowWriter row(out);
        SeriesKey(row, data, s);
        row.Raw(Integer(k + 1));
        row.Text(unit);
        row.Raw(Fixed(data.GetValue(s, k, !rValues) * 0.5, 1));
        row.Raw(Fixed(impact.value * 0.5, 1));
        row.Raw(Fixed(impact.energy / 1000.0, 3));
        row.Raw(Integer(impact.status));
    }
}

} // namespace

std::string QuoteField(const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted;
    quoted.reserve(field.size() + 2);
    quoted += '"';
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string IsoDateTime(uint32_t seriesTime)
{
    const std::tm t = Platform::SeriesTimeToLocal(seriesTime);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::string Encode(const CPaperData& data, ERows rows)
{
    std::string out;
    const int n = data.GetCount();
    if (rows == ERows::Series) {
        SeriesHeader(out);
        for (int s = 0; s < n; ++s)
            SeriesRow(out, data, s);
    } else {
        ImpactsHeader(out);
        for (int s = 0; s < n; ++s)
            ImpactRows(out, data, s);
    }
    return out;
}

void WriteFile(const std::u16string& path, const CPaperData& data, ERows rows)
{
    const std::string bytes = Encode(data, rows);
    AtomicFile::WriteBytes(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace SpreadsheetExport
