// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/table/SeriesRowCells.h"

#include <algorithm>

#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "views/ColorScheme.h"
#include "views/table/GridCellBarRange.h"
#include "views/table/GridCellDetailGripper.h"
#include "views/table/GridCellDetailLeft.h"
#include "views/table/GridCellSeries.h"
#include "views/ViewText.h"

namespace SeriesRowCells {

std::unique_ptr<CGridCell> MakeHeaderCell(int column, bool energy)
{
    auto cell = std::make_unique<CGridCell>();
    cell->SetText(ViewText::Q(SeriesPageText::HeaderCaption(column)));
    cell->SetCopyText(ViewText::Q(SeriesPageText::HeaderCopyText(column, energy)));
    cell->SetFormat(Qt::AlignHCenter);
    cell->SetReadOnly(true);
    return cell;
}

std::unique_ptr<CGridCell> MakeValueCell(int column)
{
    if (column == 0) {
        auto gripper = std::make_unique<CGridCellDetailGripper>();
        gripper->SetFormat(Qt::AlignRight);
        gripper->SetReadOnly(true);
        gripper->SetBackground(CColorScheme::GripperBackground());
        return gripper;
    }
    std::unique_ptr<CGridCell> cell;
    if (column == SeriesPageText::ColMean) {
        cell = std::make_unique<CGridCellBarRange>();
        cell->SetFormat(Qt::AlignHCenter);
    } else {
        cell = std::make_unique<CGridCell>();
    }
    cell->SetReadOnly(column != SeriesPageText::ColRollId);
    cell->SetBackground(CColorScheme::ValueBackground());
    return cell;
}

std::unique_ptr<CGridCell> MakeDetailLeftCell()
{
    auto left = std::make_unique<CGridCellDetailLeft>();
    left->SetReadOnly(true);
    return left;
}

std::unique_ptr<CGridCellSeries> MakeGraphCell(ISeriesCellHost* host, CPaperDoc* doc, int series)
{
    auto graph = std::make_unique<CGridCellSeries>(host);
    graph->Bind(doc, series);
    graph->SetReadOnly(true);
    graph->SetBackground(CColorScheme::GraphBackground());
    return graph;
}

void FillValueRow(CGridCell* const* cells, int columns, const CPaperData& data, int s, bool energy, uint32_t dtFormat)
{
    const SeriesPageText::RowTexts texts = SeriesPageText::MakeRowTexts(data, s, energy, dtFormat);
    for (int c = 0; c < columns; ++c) {
        CGridCell* cell = cells[c];
        if (cell == nullptr)
            continue;
        cell->SetText(ViewText::Q(texts.display[c]));
        cell->SetCopyText(ViewText::Q(texts.copy[c]));
    }
    if (SeriesPageText::ColMean >= columns)
        return;
    if (auto* bar = dynamic_cast<CGridCellBarRange*>(cells[SeriesPageText::ColMean])) {
        const SeriesStatistics st = data.ComputeStatistics(s);
        SBarRangeValues values;
        values.mean = data.GetRFlag(s) == 1 ? st.meanR : st.meanQ;
        values.minimum = st.minR;
        values.maximum = st.maxR;
        values.lower = SeriesPageText::LimitValue(data.GetLowerLimit(s));
        values.upper = SeriesPageText::LimitValue(data.GetUpperLimit(s));
        values.withoutLimits = SeriesPageText::IsWithoutLimits(data, s);
        bar->SetValues(values);
    }
}

void SetGripperState(CGridCell* cell, bool expanded, bool ticked)
{
    if (auto* gripper = dynamic_cast<CGridCellDetailGripper*>(cell)) {
        gripper->SetExpanded(expanded);
        gripper->SetTicked(ticked);
    }
}

} // namespace SeriesRowCells
