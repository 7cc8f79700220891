// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SummaryPageText.h"

#include "data/PaperDoc.h"
#include "data/SummaryData.h"
#include "data/SummaryStrings.h"
#include "platform/DateTimeFormat.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using Platform::Format;
using Platform::LoadString;

namespace SummaryPageText {

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// "= %0.*f %s" and "%0.*f\t%s", or with "--" for a value that does not exist.
void SetValue(StatisticsRow& row, bool exists, int decimals, float value, const std::string& unit)
{
    if (exists) {
        row.value = Format("= %0.*f %s", decimals, static_cast<double>(value), unit.c_str());
        row.copy = Format("%0.*f\t%s", decimals, static_cast<double>(value), unit.c_str());
    } else {
        row.value = Format("= -- %s", unit.c_str());
        row.copy = Format("--\t%s", unit.c_str());
    }
}

} // namespace

std::vector<StatisticsRow> StatisticsRows(const SummaryStatistics& st, const CSummaryData& summary)
{
    using namespace SummaryStrings;
    const int decimals = summary.GetDisplayInfo();
    const std::string unit = Platform::ToUtf8(summary.GetUnitText());
    const bool median = summary.GetAveragingMode() == summary_probe_meas_t::kMedian;
    const bool any = st.used > 0;

    std::vector<StatisticsRow> rows(6);
    rows[0].label = LoadString(kTotalUsed);
    rows[0].symbol = LoadString(kSymbolN);
    if (st.used == st.entries) {
        rows[0].value = Format("= %d", st.used);
        rows[0].copy = Format("%d", st.used);
    } else {
        rows[0].value = Format("= %d/%d", st.used, st.entries);
        rows[0].copy = Format("%d\t%d", st.used, st.entries);
    }

    rows[1].label = LoadString(median ? kMedian : kMeanValue);
    rows[1].symbol = LoadString(kSymbolMean);
    SetValue(rows[1], any, decimals, st.ShownMean(summary.GetUnit()), unit);

    rows[2].label = LoadString(kStdDev);
    rows[2].symbol = LoadString(kSymbolStdDev);
    SetValue(rows[2], st.used >= 2, decimals, st.ShownStdDev(summary.GetUnit()), unit);

    rows[3].label = LoadString(kRange);
    SetValue(rows[3], any, decimals, st.range, unit);
    rows[4].label = LoadString(kMinimum);
    SetValue(rows[4], any, decimals, st.minimum, unit);
    rows[5].label = LoadString(kMaximum);
    SetValue(rows[5], any, decimals, st.maximum, unit);
    return rows;
}

std::u16string EntryValueText(float convertedMean, int decimals)
{
    if (convertedMean == CSummaryData::kMissingValue)
        return u"--";
    return Format("%0.*f", decimals, static_cast<double>(convertedMean));
}

std::u16string DateTimeText(uint32_t earliest, uint32_t latest, uint32_t dtFormat)
{
    if (earliest > latest)
        return {};
    const std::u16string first = Platform::FormatSeriesDateTime(earliest, dtFormat);
    if (earliest == latest)
        return first;
    const std::u16string last = Platform::FormatSeriesDateTime(latest, dtFormat);
    return Platform::FormatU(LoadString(SummaryStrings::kTimeSpan).c_str(), Platform::ToUtf8(first).c_str(),
                             Platform::ToUtf8(last).c_str());
}

std::u16string CommentCopyText(const std::u16string& comment)
{
    std::u16string text = Platform::ReplaceAll(comment, u"\r\n", u"<br>");
    text = Platform::ReplaceAll(std::move(text), u"\"", u"&quot");
    return u'"' + text + u'"';
}

std::u16string CopyText(CSummaryData& summary, uint32_t dtFormat)
{
    using namespace SummaryStrings;
    const int count = summary.GetEntryCount();
    if (count == 0)
        return {};
    const SummaryStatistics st = summary.ComputeStatistics();
    const int decimals = summary.GetDisplayInfo();

    std::u16string text = LoadString(kPageTitle) + kCrLf + kCrLf;

    text += LoadString(kValuesTitle) + kCrLf;
    for (int i = 0; i < count; ++i)
        text += EntryValueText(summary.GetEntryConvertedMean(i), decimals) + kCrLf;
    text += kCrLf;

    text += LoadString(kStatisticsTitle) + kCrLf;
    const std::vector<StatisticsRow> rows = StatisticsRows(st, summary);
    for (size_t r = 0; r < rows.size(); ++r) {
        text += rows[r].label + u'\t';
        if (r < 3)   // only the first three rows carry a symbol
            text += rows[r].symbol + u'\t';
        text += rows[r].copy + kCrLf;
    }
    text += kCrLf;

    text += LoadString(kSettingsTitle) + kCrLf;
    text += LoadString(kSerialNumber) + u'\t' + summary.GetSerial() + kCrLf;
    text += LoadString(kDateTime) + u'\t' +
            DateTimeText(summary.GetEarliest(), summary.GetLatest(), dtFormat) + kCrLf;
    text += kCrLf;

    text += LoadString(kCommentTitle) + kCrLf;
    text += CommentCopyText(summary.GetComment()) + kCrLf;
    text += kCrLf;
    return text;
}

std::u16string ExportText(CPaperDoc& doc, uint32_t dtFormat)
{
    doc.BuildSummary();
    return CopyText(doc.GetSummary(), dtFormat);
}

} // namespace SummaryPageText
