// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SeriesPageText.h"

#include "data/PaperData.h"
#include "platform/DateTimeFormat.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using Platform::Format;
using Platform::LoadString;
using Platform::ToUtf8;

namespace SeriesPageText {

namespace {

// String ids of the header captions, by column.
constexpr uint32_t kCaptionIds[MaxColumns] = {
    44001, // Impact counter
    44002, // Roll ID
    44003, // Date & Time
    59497, // Mean value
    44004, // Total
    44005, // Lower limit
    44006, // Upper limit
    44007, // Range
    44008, // Std dev.
    44009, // Energy
};
constexpr uint32_t kUnitCaption = 59498;
constexpr uint32_t kMinimumCaption = 44010;
constexpr uint32_t kMaximumCaption = 44011;
constexpr uint32_t kSerialCaption = 44012;
constexpr uint32_t kCommentCaption = 44013;
constexpr uint32_t kValuesCaption = 44014;

// Marker of a missing value (a standard deviation that does not exist).
constexpr float kMissing = 65535.0f;

std::u16string Tabbed(uint32_t id)
{
    return LoadString(id) + u'\t';
}

} // namespace

int ColumnCount(bool energyMode)
{
    return energyMode ? 10 : 9;
}

std::u16string HeaderCaption(int col)
{
    if (col < 0 || col >= MaxColumns)
        return std::u16string();
    return LoadString(kCaptionIds[col]);
}

std::u16string HeaderCopyText(int col, bool energyMode)
{
    std::u16string text;
    switch (col) {
    case ColMean:
        text = Tabbed(kCaptionIds[ColMean]) + Tabbed(kUnitCaption);
        break;
    case ColRange:
        text = Tabbed(kCaptionIds[ColRange]) + Tabbed(kMinimumCaption) + Tabbed(kMaximumCaption);
        break;
    default:
        text = HeaderCaption(col) + u'\t';
        break;
    }
    if (col == ColumnCount(energyMode) - 1)
        text += Tabbed(kSerialCaption) + Tabbed(kCommentCaption) + Tabbed(kValuesCaption);
    return text;
}

std::u16string HeaderLine(bool energyMode)
{
    std::u16string line;
    for (int c = 0; c < ColumnCount(energyMode); ++c)
        line += HeaderCopyText(c, energyMode);
    return line;
}

bool IsWithoutLimits(const CPaperData& data, int series)
{
    return data.GetLowerLimit(series) == 0 && data.GetUpperLimit(series) == 200;
}

std::u16string DateTimeText(const CPaperData& data, int series, uint32_t dtFormat)
{
    return Platform::FormatSeriesDateTime(data.GetDateTime(series), dtFormat);
}

RowTexts MakeRowTexts(const CPaperData& data, int s, bool energyMode, uint32_t dtFormat)
{
    RowTexts row;
    const SeriesStatistics st = data.ComputeStatistics(s);
    const bool rValues = data.GetRFlag(s) == 1;
    const float mean = rValues ? st.meanR : st.meanQ;
    const float stdDev = rValues ? st.stdDevR : st.stdDevQ;
    const int decimals = data.GetDisplayInfo(s);
    const std::string unit = ToUtf8(data.GetUnitText(s));
    const int impacts = data.GetImpactCount(s);
    const int lower = LimitValue(data.GetLowerLimit(s));
    const int upper = LimitValue(data.GetUpperLimit(s));

    row.display[ColCounter] = Format("%d", static_cast<int>(data.GetCounter(s)));
    row.copy[ColCounter] = u"\r\n" + row.display[ColCounter] + u'\t';

    row.display[ColRollId] = data.GetRollId(s);
    row.copy[ColRollId] = row.display[ColRollId] + u'\t';

    row.display[ColDateTime] = DateTimeText(data, s, dtFormat);
    row.copy[ColDateTime] = row.display[ColDateTime] + u'\t';

    row.display[ColMean] = Format("%0.*f %s", decimals, static_cast<double>(mean), unit.c_str());
    row.copy[ColMean] = Format("%0.*f\t%s\t", decimals, static_cast<double>(mean), unit.c_str());

    row.display[ColTotal] = Format("%d", impacts);
    row.copy[ColTotal] = row.display[ColTotal] + u'\t';

    row.display[ColLowerLimit] = Format("%d %s", lower, unit.c_str());
    row.copy[ColLowerLimit] = Format("%d\t", lower);
    row.display[ColUpperLimit] = Format("%d %s", upper, unit.c_str());
    row.copy[ColUpperLimit] = Format("%d\t", upper);

    row.display[ColRange] = Format("%0.1f %s", static_cast<double>(st.range), unit.c_str());
    row.copy[ColRange] = Format("%0.1f\t%0.1f\t%0.1f\t", static_cast<double>(st.range),
                                static_cast<double>(st.minR), static_cast<double>(st.maxR));

    if (stdDev != kMissing && impacts > 1) {
        row.display[ColStdDev] = Format("%0.*f %s", decimals, static_cast<double>(stdDev), unit.c_str());
        row.copy[ColStdDev] = Format("%0.*f\t", decimals, static_cast<double>(stdDev));
    } else {
        row.display[ColStdDev] = u"--";
        row.copy[ColStdDev] = u"--\t";
    }

    if (energyMode) {
        row.display[ColEnergy] = Format("%0.2f", static_cast<double>(st.meanEnergy));
        row.copy[ColEnergy] = row.display[ColEnergy] + u'\t';
    }
    return row;
}

std::u16string DetailCopyText(const CPaperData& data, int s)
{
    std::u16string comment = Platform::ReplaceAll(data.GetComment(s), u"\r\n", u"<br>");
    comment = Platform::ReplaceAll(std::move(comment), u"\"", u"&quot");
    std::u16string text = data.GetSerial(s) + u"\t\"" + comment + u"\"\t";
    const bool raw = data.GetRFlag(s) != 1;
    const int n = data.GetImpactCount(s);
    for (int k = 0; k < n; ++k)
        text += Format("%0.1f\t", data.GetValue(s, k, raw) * 0.5);
    return text;
}

std::u16string SeriesLine(const CPaperData& data, int s, bool energyMode, uint32_t dtFormat)
{
    const RowTexts row = MakeRowTexts(data, s, energyMode, dtFormat);
    std::u16string line;
    for (int c = 0; c < ColumnCount(energyMode); ++c)
        line += row.copy[c];
    line += DetailCopyText(data, s);
    return line;
}

std::u16string ExportText(const CPaperData& data, bool energyMode, uint32_t dtFormat)
{
    std::u16string text = HeaderLine(energyMode);
    const int n = data.GetCount();
    for (int s = 0; s < n; ++s)
        text += SeriesLine(data, s, energyMode, dtFormat);
    return text;
}

} // namespace SeriesPageText
