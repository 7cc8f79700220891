// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SpreadsheetExport.h"

#include <charconv>
#include <cstdio>

#include "data/AtomicFile.h"
#include "data/DataStrings.h"
#include "data/PaperData.h"
#include "data/SeriesPageText.h"
#include "data/SpreadsheetStrings.h"
#include "platform/DateTimeFormat.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace SpreadsheetExport {

namespace {

// Marker of a missing value (a standard deviation that does not exist).
constexpr float kMissing = 65535.0f;

// A number with a fixed count of decimals and a dot, independent of the
// C locale (the desktop program runs with the user's LC_NUMERIC).
std::string FixedWithDot(double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return std::string();
    return std::string(buffer, result.ptr);
}

std::string IntegerText(long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Writes the rows of one file in the form its options ask for.
class CRowWriter {
public:
    CRowWriter(std::string& out, const SOptions& options)
        : m_out(out), m_options(options), m_separator(options.locale == ELocale::German ? ';' : ',')
    {
    }
    ~CRowWriter() { m_out += "\r\n"; }
    CRowWriter(const CRowWriter&) = delete;
    CRowWriter& operator=(const CRowWriter&) = delete;

    // A field that needs no quoting (numbers, dates).
    void Raw(const std::string& field)
    {
        if (m_count++ > 0)
            m_out += m_separator;
        m_out += field;
    }
    // A number with `decimals` decimals in the file's decimal sign.
    void Fixed(double value, int decimals)
    {
        std::string text = FixedWithDot(value, decimals);
        if (m_options.locale == ELocale::German)
            for (char& c : text)
                if (c == '.')
                    c = ',';
        Raw(text);
    }
    void Integer(long long value) { Raw(IntegerText(value)); }
    void Empty() { Raw(std::string()); }
    void DateTime(uint32_t seriesTime)
    {
        Raw(m_options.locale == ELocale::German ? GermanDateTime(seriesTime) : IsoDateTime(seriesTime));
    }
    // A text read from the project.
    void Text(std::u16string_view text) { Raw(QuoteField(CellText(text, m_options.rawText), m_separator)); }
    // A caption of the string table: ours, never prefixed.
    void Caption(uint32_t id) { Raw(QuoteField(Platform::ToUtf8(Platform::LoadString(id)), m_separator)); }

private:
    std::string& m_out;
    const SOptions& m_options;
    const char m_separator;
    int m_count = 0;
};

void SeriesHeader(std::string& out, const SOptions& options)
{
    CRowWriter row(out, options);
    for (uint32_t id : {DataStrings::kCsvRollId, DataStrings::kCsvCounter, DataStrings::kCsvDateTime,
                        DataStrings::kCsvUnit, DataStrings::kCsvImpacts, DataStrings::kCsvMean,
                        DataStrings::kCsvStdDev, DataStrings::kCsvRange, DataStrings::kCsvMinimum,
                        DataStrings::kCsvMaximum, DataStrings::kCsvLowerLimit, DataStrings::kCsvUpperLimit,
                        DataStrings::kCsvComment})
        row.Caption(id);
}

void ImpactsHeader(std::string& out, const SOptions& options)
{
    CRowWriter row(out, options);
    for (uint32_t id : {DataStrings::kCsvRollId, DataStrings::kCsvCounter, DataStrings::kCsvDateTime,
                        DataStrings::kCsvImpactNumber, DataStrings::kCsvUnit, DataStrings::kCsvValue,
                        DataStrings::kCsvValueQ, DataStrings::kCsvEnergy, DataStrings::kCsvStatus})
        row.Caption(id);
}

// The fields every row starts with: roll ID, counter, date and time.
void SeriesKey(CRowWriter& row, const CPaperData& data, int s)
{
    row.Text(data.GetRollId(s));
    row.Integer(data.GetCounter(s));
    row.DateTime(data.GetDateTime(s));
}

void SeriesRow(std::string& out, const CPaperData& data, int s, const SOptions& options)
{
    CRowWriter row(out, options);
    SeriesKey(row, data, s);
    const SeriesStatistics st = data.ComputeStatistics(s);
    const bool rValues = data.GetRFlag(s) == 1;
    const int impacts = data.GetImpactCount(s);
    const float mean = rValues ? st.meanR : st.meanQ;
    const float stdDev = rValues ? st.stdDevR : st.stdDevQ;
    row.Text(data.GetUnitText(s));
    row.Integer(impacts);
    // Without impacts there is no mean, minimum or maximum, and a standard
    // deviation needs two impacts: such fields stay empty (a missing value
    // in a spreadsheet), never a made-up 0.
    if (impacts > 0)
        row.Fixed(mean, 2);
    else
        row.Empty();
    if (impacts > 1 && stdDev != kMissing)
        row.Fixed(stdDev, 2);
    else
        row.Empty();
    for (const float value : {st.range, st.minR, st.maxR})
        if (impacts > 0)
            row.Fixed(value, 1);
        else
            row.Empty();
    // A series without limits (0 and 100 Q) has none: empty cells, so a
    // filter on the limit columns does not take them for real ones.
    // Limits are stored in half steps of Q.
    if (SeriesPageText::IsWithoutLimits(data, s)) {
        row.Empty();
        row.Empty();
    } else {
        row.Fixed(data.GetLowerLimit(s) * 0.5, 1);
        row.Fixed(data.GetUpperLimit(s) * 0.5, 1);
    }
    row.Text(data.GetComment(s));
}

void ImpactRows(std::string& out, const CPaperData& data, int s, const SOptions& options)
{
    const bool rValues = data.GetRFlag(s) == 1;
    const std::u16string unit = data.GetUnitText(s);
    const int impacts = data.GetImpactCount(s);
    for (int k = 0; k < impacts; ++k) {
        const MEAS_T& impact = data.GetImpact(s, k);
        CRowWriter row(out, options);
        SeriesKey(row, data, s);
        row.Integer(k + 1);
        row.Text(unit);
        row.Fixed(data.GetValue(s, k, !rValues) * 0.5, 1);
        row.Fixed(impact.value * 0.5, 1);
        row.Fixed(impact.energy / 1000.0, 3);
        row.Integer(impact.status);
    }
}

} // namespace

ELocale LocaleOfLanguage()
{
    return Platform::LoadString(SpreadsheetStrings::kCsvLocale) == u"de" ? ELocale::German : ELocale::Portable;
}

std::string QuoteField(const std::string& field, char separator)
{
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (field.find_first_of(special) == std::string::npos)
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

std::string CellText(std::u16string_view text, bool rawText)
{
    std::u16string cell;
    cell.reserve(text.size() + 1);
    // A spreadsheet takes these first characters for the start of a formula
    // (TAB and CR are dropped by some importers, which then see the next).
    if (!rawText && !text.empty() && std::u16string_view(u"=+-@\t\r").find(text[0]) != std::u16string_view::npos)
        cell += u'\'';
    for (const char16_t c : text)
        cell += c == 0 ? u'\uFFFD' : c;
    return Platform::ToUtf8(cell);
}

std::string GermanDateTime(uint32_t seriesTime)
{
    const std::tm t = Platform::SeriesTimeToLocal(seriesTime);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1,
                  t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::string IsoDateTime(uint32_t seriesTime)
{
    const std::tm t = Platform::SeriesTimeToLocal(seriesTime);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::string Encode(const CPaperData& data, ERows rows, const SOptions& options)
{
    std::string out;
    if (options.byteOrderMark)
        out = "\xEF\xBB\xBF";
    const int n = data.GetCount();
    if (rows == ERows::Series) {
        SeriesHeader(out, options);
        for (int s = 0; s < n; ++s)
            SeriesRow(out, data, s, options);
    } else {
        ImpactsHeader(out, options);
        for (int s = 0; s < n; ++s)
            ImpactRows(out, data, s, options);
    }
    return out;
}

void WriteFile(const std::u16string& path, const CPaperData& data, ERows rows, const SOptions& options)
{
    const std::string bytes = Encode(data, rows, options);
    AtomicFile::WriteBytes(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace SpreadsheetExport
