// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli info [--json] [--accept-damaged] FILE.vnr: what a project
// file holds.  The text output escapes control characters read from the
// file; the JSON output gives every stored value raw and, beside it, in
// units (docs/CLI.md lists the fields).
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "SeriesJson.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "platform/DateTimeFormat.h"
#include "platform/Text.h"

namespace Cli {

namespace {

std::string Hex(const uint8_t* bytes, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}

// A series stamp as local wall-clock time in ISO 8601, without a zone: the
// instrument's clock knows none.
std::string IsoDateTime(uint32_t stamp)
{
    const std::tm t = Platform::SeriesTimeToLocal(stamp);
    return Platform::FormatA("%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                             t.tm_min, t.tm_sec);
}

// The unit the series page shows: R values for the R flag 1, else Q.
const char* UnitName(const CPaperData& data, int s)
{
    return data.GetRFlag(s) == 1 ? "R" : "Q";
}

void MaybeValue(CJsonWriter& json, float value)
{
    if (value == CPaperData::kMissingValue)
        json.Null();
    else
        json.Decimal(value, 3);
}

// The series page's statistics of one series in its unit.
void WriteStatistics(CJsonWriter& json, const CPaperData& data, int s)
{
    const SeriesStatistics st = data.ComputeStatistics(s);
    const bool r = data.GetRFlag(s) == 1;
    const bool any = data.GetImpactCount(s) > 0;
    json.Key("statistics");
    json.BeginObject();
    json.Key("unit");
    json.String(UnitName(data, s));
    json.Key("mean");
    any ? MaybeValue(json, r ? st.meanR : st.meanQ) : json.Null();
    json.Key("standardDeviation");
    data.GetImpactCount(s) > 1 ? MaybeValue(json, r ? st.stdDevR : st.stdDevQ) : json.Null();
    json.Key("minimum");
    any ? MaybeValue(json, st.minR) : json.Null();
    json.Key("maximum");
    any ? MaybeValue(json, st.maxR) : json.Null();
    json.Key("range");
    any ? MaybeValue(json, st.range) : json.Null();
    json.Key("meanEnergyJ");
    any ? MaybeValue(json, st.meanEnergy) : json.Null();
    json.EndObject();
}

} // namespace

void WriteSeriesFields(CJsonWriter& json, const CPaperData& data, int s)
{
    json.Key("rollId");
    json.String(data.GetRollId(s));
    json.Key("counter");
    json.Number(data.GetCounter(s));
    json.Key("dateTime");
    json.Number(data.GetDateTime(s));
    json.Key("dateTimeLocal");
    json.String(IsoDateTime(data.GetDateTime(s)));
    json.Key("unit");
    json.String(UnitName(data, s));
    json.Key("rFlag");
    json.Number(data.GetRFlag(s));
    json.Key("factor");
    json.Number(data.GetFactor(s));
    json.Key("lowerLimit");
    json.Number(data.GetLowerLimit(s));
    json.Key("upperLimit");
    json.Number(data.GetUpperLimit(s));
    json.Key("lowerLimitQ");
    json.Decimal(data.GetLowerLimit(s) * 0.5, 1);
    json.Key("upperLimitQ");
    json.Decimal(data.GetUpperLimit(s) * 0.5, 1);
    json.Key("withoutLimits");
    json.Bool(SeriesPageText::IsWithoutLimits(data, s));
    json.Key("comment");
    json.String(data.GetComment(s));
    json.Key("serial");
    json.String(data.GetSerial(s));
    json.Key("graphOrder");
    json.Number(data.GetGraphOrder(s));
    json.Key("autoAxis");
    json.Bool(data.GetAutoAxis(s));
    json.Key("inSummary");
    json.Bool(data.GetInSummary(s));
    json.Key("impacts");
    json.BeginArray();
    for (int k = 0; k < data.GetImpactCount(s); ++k) {
        const MEAS_T& m = data.GetImpact(s, k);
        json.BeginArray();
        json.Number(m.value);
        json.Number(m.energy);
        json.Number(m.status);
        json.EndArray();
    }
    json.EndArray();
    json.Key("impactsQ");
    json.BeginArray();
    for (int k = 0; k < data.GetImpactCount(s); ++k) {
        const MEAS_T& m = data.GetImpact(s, k);
        json.BeginObject();
        json.Key("valueQ");
        json.Decimal(m.value * 0.5, 1);
        json.Key("energyJ");
        json.Decimal(m.energy / 1000.0, 3);
        json.Key("status");
        json.Number(m.status);
        json.EndObject();
    }
    json.EndArray();
    WriteStatistics(json, data, s);
}

namespace {

void WriteCollection(CJsonWriter& json, const CPaperData& data)
{
    json.BeginObject();
    uint8_t info[128] = {};
    data.GetInfoBlock(info);
    json.Key("info");
    json.String(Hex(info, sizeof info));
    json.Key("series");
    json.BeginArray();
    for (int s = 0; s < data.GetCount(); ++s) {
        json.BeginObject();
        WriteSeriesFields(json, data, s);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

std::string VersionText(const CPaperDoc::Version& v)
{
    return Platform::FormatA("%u.%u.%u.%u", v[0], v[1], v[2], v[3]);
}

void PrintJson(const CPaperDoc& doc)
{
    CJsonWriter json;
    json.BeginObject();
    json.Key("format");
    json.Number(doc.GetLoadedFormat());
    json.Key("writerVersion");
    json.String(VersionText(doc.GetLoadedWriterVersion()));
    json.Key("complete");
    json.Bool(doc.WasLoadedComplete());
    json.Key("original");
    WriteCollection(json, doc.GetOriginal());
    json.Key("current");
    WriteCollection(json, doc.GetCurrent());
    json.Key("summary");
    json.BeginArray();
    const CSummaryData& summary = doc.GetSummary();
    for (int r = 0; r < summary.GetCount(); ++r) {
        json.BeginObject();
        json.Key("comment");
        json.String(summary.GetRecord(r).comment);
        json.Key("setting");
        json.Number(summary.GetRecord(r).displaySetting);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    Out("%s\n", json.Text().c_str());
}

// One line of the overview table; texts are padded to their column.
std::string Pad(const std::u16string& text, size_t width)
{
    std::string s = TerminalText(text);
    // Pad by characters, not bytes, so umlauts do not shift the columns.
    size_t chars = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++chars;
    if (chars < width)
        s.append(width - chars, ' ');
    return s + ' ';
}

void PrintOverview(const CPaperDoc& doc, const std::string& path)
{
    using Platform::ToUtf8;
    const CPaperData& data = doc.GetCurrent();
    Out("%s %s\n", ToUtf8(Text(kInfoFile)).c_str(), TerminalText(Platform::FromUtf8(path)).c_str());
    Out("%s %u\n", ToUtf8(Text(kInfoFormat)).c_str(), doc.GetLoadedFormat());
    Out("%s %s\n", ToUtf8(Text(kInfoWriter)).c_str(), VersionText(doc.GetLoadedWriterVersion()).c_str());
    Out("%s %d\n", ToUtf8(Text(kInfoCurrent)).c_str(), data.GetCount());
    Out("%s %d\n", ToUtf8(Text(kInfoOriginal)).c_str(), doc.GetOriginal().GetCount());
    Out("%s %u\n", ToUtf8(Text(kInfoSortMode)).c_str(), data.GetSortMode());
    if (data.GetCount() > 0)
        Out("%s %s\n", ToUtf8(Text(kInfoSerial)).c_str(), TerminalText(data.GetSerial(0)).c_str());
    if (!doc.GetSummary().IsEmpty() && !doc.GetSummary().GetComment(0).empty())
        Out("%s %s\n", ToUtf8(Text(kInfoSummaryComment)).c_str(),
                    TerminalText(Platform::ReplaceAll(doc.GetSummary().GetComment(0), u"\r\n", u" / ")).c_str());
    Out("\n");
    if (data.GetCount() == 0) {
        Out("%s\n", ToUtf8(Text(kInfoNoSeries)).c_str());
        return;
    }
    // Header: counter, roll ID, date & time, impacts, mean, limits, comment.
    Out("%s\n", ToUtf8(Text(kInfoTableHead)).c_str());
    const uint32_t dtFormat = ReadDtFormatSetting();
    for (int s = 0; s < data.GetCount(); ++s) {
        const SeriesPageText::RowTexts row = SeriesPageText::MakeRowTexts(data, s, false, dtFormat);
        std::u16string limits = SeriesPageText::IsWithoutLimits(data, s)
            ? Text(kInfoNoLimits)
            : Platform::Format("%d-%d %s", SeriesPageText::LimitValue(data.GetLowerLimit(s)),
                               SeriesPageText::LimitValue(data.GetUpperLimit(s)),
                               ToUtf8(data.GetUnitText(s)).c_str());
        const std::u16string comment = Platform::ReplaceAll(data.GetComment(s), u"\r\n", u" / ");
        Out("%s%s%s%s%s%s%s\n",
                    Pad(row.display[SeriesPageText::ColCounter], 7).c_str(),
                    Pad(row.display[SeriesPageText::ColRollId], 16).c_str(),
                    Pad(row.display[SeriesPageText::ColDateTime], 19).c_str(),
                    Pad(row.display[SeriesPageText::ColTotal], 7).c_str(),
                    Pad(row.display[SeriesPageText::ColMean], 9).c_str(),
                    Pad(limits, 10).c_str(),
                    TerminalText(comment).c_str());
    }
}

} // namespace

int InfoCommand(const std::vector<std::string>& args)
{
    bool json = false;
    bool acceptDamaged = false;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else if (a == "--accept-damaged")
            acceptDamaged = true;
        else if (a.size() > 1 && a[0] == '-')
            return UnknownOption("info", a);
        else if (path.empty() && !a.empty())
            path = a;
        else
            return UsageError("info");
    }
    if (path.empty())
        return UsageError("info");

    CPaperDoc doc;
    CTerminalUi ui;
    if (const int rc = OpenProjectForOutput(doc, ui, path, acceptDamaged))
        return rc;
    if (json)
        PrintJson(doc);
    else
        PrintOverview(doc, path);
    return exitOk;
}

} // namespace Cli
