// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryViewData.h"

#include "data/PaperDoc.h"
#include "data/SummaryPageText.h"
#include "views/ViewText.h"

SSummaryViewData MakeSummaryViewData(CPaperDoc& doc, uint32_t dtFormat)
{
    SSummaryViewData d;
    CSummaryData& summary = doc.GetSummary();
    const int count = summary.GetEntryCount();
    if (count == 0)
        return d;
    // The statistics first: computing them resets the entries' bytes.
    const SummaryStatistics st = summary.ComputeStatistics();
    d.decimals = summary.GetDisplayInfo();
    d.unit = ViewText::Q(summary.GetUnitText());
    d.median = summary.GetAveragingMode() == summary_probe_meas_t::kMedian;
    d.displaySetting = summary.GetDisplaySetting();
    d.mean = st.ShownMean(summary.GetUnit());
    d.used = st.used;
    d.entries.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        SSummaryEntry& e = d.entries[static_cast<size_t>(i)];
        e.valueByte = summary.GetEntryValue(i);
        e.value = summary.GetEntryConvertedMean(i);
        e.rollId = ViewText::Q(summary.GetEntryRollId(i));
        e.counter = summary.GetEntryCounter(i);
        e.flag = summary.GetEntryFlag(i);
        e.seriesIndex = summary.GetEntrySeriesIndex(i);
        e.valueText = ViewText::Q(SummaryPageText::EntryValueText(e.value, d.decimals));
    }
    for (const SummaryPageText::StatisticsRow& row : SummaryPageText::StatisticsRows(st, summary))
        d.statistics.push_back({ViewText::Q(row.label), ViewText::Q(row.symbol), ViewText::Q(row.value)});
    d.serial = ViewText::Q(summary.GetSerial());
    d.dateTime = ViewText::Q(SummaryPageText::DateTimeText(summary.GetEarliest(), summary.GetLatest(), dtFormat));
    d.comment = ViewText::Q(summary.GetComment());
    return d;
}
