// SPDX-License-Identifier: GPL-3.0-or-later
// What the summary page shows, read from the document's built summary in
// one go (after every refill): the entries with their texts, the
// statistics rows, the settings and the comment.  Painting reads only this
// snapshot, so a repaint never walks the document.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "views/summary/SummaryLayout.h"

class CPaperDoc;

struct SSummaryEntry {
    uint8_t valueByte = 0;     // the series' mean Q in half steps
    float value = 65535.0f;    // the converted mean; 65535: no value
    QString rollId;
    uint16_t counter = 0;
    uint8_t flag = 0;          // 1: drawn in the darker bar colour
    int seriesIndex = -1;
    QString valueText;         // "%0.*f", or "--"

    bool HasValue() const { return value != 65535.0f; }
    // The text under the bar: the roll ID, or the counter when it is empty.
    QString Label() const { return rollId.isEmpty() ? QString::number(counter) : rollId; }
};

struct SSummaryStatisticsRow {
    QString label, symbol, value;
};

// What drawing the snapshot computes once and keeps: the text widths for
// one font and device, and the entry order of each order mode.
struct SSummaryDrawCache {
    QString fontKey;
    std::vector<int> valueWidths;
    int widestLabel = -1;
    std::vector<int> orders[3];
};

struct SSummaryViewData {
    std::vector<SSummaryEntry> entries;
    int decimals = 1;
    QString unit;
    bool median = false;
    int16_t displaySetting = -1;
    float mean = 0;            // the mean (or median) shown, for the mean mark
    int used = 0;              // entries with a value
    std::vector<SSummaryStatisticsRow> statistics;
    QString serial;
    QString dateTime;
    QString comment;

    // Shared by the copies of one snapshot; a new snapshot starts empty.
    std::shared_ptr<SSummaryDrawCache> cache = std::make_shared<SSummaryDrawCache>();

    bool IsEmpty() const { return entries.empty(); }
    int Order() const { return SummaryLayout::EffectiveOrder(displaySetting, median); }
};

// Reads the document's summary as it is built now (nothing is rebuilt);
// `dtFormat` picks the date and time pictures.
SSummaryViewData MakeSummaryViewData(CPaperDoc& doc, uint32_t dtFormat);
