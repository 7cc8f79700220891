// SPDX-License-Identifier: GPL-3.0-or-later
// CTabGrid: construction, refills, row texts, selection and status.  Clicks,
// menus and keys are in TabGridInput.cpp, the commands in
// TabGridCommands.cpp.
#include "views/table/TabGrid.h"

#include <QEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "controls/GridCtrl.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "platform/Text.h"
#include "views/ColorScheme.h"
#include "views/table/GridCellDetailGripper.h"
#include "views/table/GridCellSeries.h"
#include "views/table/SeriesRowCells.h"
#include "views/ViewSettings.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

using SeriesPageText::ColMean;

namespace {

using SeriesRowCells::kHeaderHeight;
using SeriesRowCells::kRowHeight;
constexpr int kAnimationPeriod = 15;   // ms per animation step
constexpr int kFillProgressEvery = 31;

} // namespace

CTabGrid::CTabGrid(CPaperDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    m_grid = new CGridCtrl(this);
    m_grid->setObjectName(QStringLiteral("seriesGrid"));
    m_grid->SetDefaultRowHeight(kRowHeight);
    m_grid->SetRowHeight(0, kHeaderHeight);
    m_grid->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);

    m_grid->SetRowPreparer([this](int row) { PrepareRow(row); });
    connect(m_grid, &CGridCtrl::headerClicked, this, &CTabGrid::OnHeaderClicked);
    connect(m_grid, &CGridCtrl::selectionChanged, this, &CTabGrid::OnSelectionChanged);
    connect(m_grid, &CGridCtrl::cellClicked, this, &CTabGrid::OnCellClicked);
    connect(m_grid, &CGridCtrl::cellEdited, this, &CTabGrid::OnCellEdited);
    connect(m_grid, &CGridCtrl::rightClicked, this, &CTabGrid::OnRightClick);
    connect(m_grid, &CGridCtrl::viewportResized, this, [this] {
        const int before = GraphWidth();
        FitMeanColumn();
        if (GraphWidth() != before)
            RemeasureExpanded();
    });

    m_animation.setInterval(kAnimationPeriod);
    connect(&m_animation, &QTimer::timeout, this, &CTabGrid::OnAnimationTick);

    if (m_doc != nullptr)
        m_doc->RegisterView(this);
    FillAll();
}

CTabGrid::~CTabGrid()
{
    // The grid outlives this part of the page for a moment: its signals
    // (an edit ended by the closing window) must not arrive here.
    m_grid->disconnect(this);
    m_animation.stop();
    if (m_doc != nullptr)
        m_doc->UnregisterView(this);
}

QWidget* CTabGrid::CellWidget()
{
    return m_grid->viewport();
}

// --- Notifications and refills ------------------------------------------------

void CTabGrid::OnDocumentChanged(int seriesIndex)
{
    // A document without series is a new start: the next fill sizes the
    // columns afresh.
    if (seriesIndex < 0 && m_doc != nullptr && !m_doc->HasSeries())
        m_forgetWidths = true;
    if (seriesIndex < 0)
        m_pendingAll = true;
    else
        m_pendingSeries.insert(seriesIndex);
    if (m_refillPending)
        return;
    m_refillPending = true;
    QMetaObject::invokeMethod(this, [this] { FlushPendingRefill(); }, Qt::QueuedConnection);
}

void CTabGrid::FlushPendingRefill()
{
    if (!m_refillPending)
        return;
    m_refillPending = false;
    const bool all = m_pendingAll;
    const std::set<int> series = std::move(m_pendingSeries);
    m_pendingAll = false;
    m_pendingSeries.clear();
    if (all) {
        Refill(-1);
        return;
    }
    for (int s : series)
        Refill(s);
}

void CTabGrid::Refill(int seriesIndex)
{
    if (seriesIndex < 0)
        FillAll();
    else
        FillSeries(seriesIndex);
}

void CTabGrid::RefillAndScroll(int topRow)
{
    FillAll();
    m_grid->SetTopRow(std::min(topRow, m_grid->GetRowCount() - 1));
}

int CTabGrid::GraphWidth() const
{
    int width = 0;
    for (int c = 1; c < m_grid->GetColumnCount(); ++c)
        width += m_grid->GetColumnWidth(c);
    return width;
}

void CTabGrid::FitMeanColumn()
{
    // The mean column takes up the slack of the visible area (measured
    // after the vertical scroll bar, which the row count decides), less 8
    // pixels, so the columns fill the window without a horizontal scroll
    // bar.  A mean column the user has sized keeps its width.
    if (m_meanFilledWidth < 0 || m_lastCount <= 0 || m_grid->GetColumnWidth(ColMean) != m_meanFilledWidth)
        return;
    const int natural = m_meanFilledWidth - m_meanFill;
    const int others = m_grid->GetTotalWidth() - m_meanFilledWidth;
    const int fill = std::max(0, m_grid->GetClientSize().width() - others - natural - 8);
    if (fill == m_meanFill)
        return;
    m_meanFill = fill;
    m_meanFilledWidth = natural + fill;
    m_grid->SetColumnWidth(ColMean, m_meanFilledWidth);
}

void CTabGrid::RemeasureExpanded()
{
    const int count = m_doc != nullptr ? std::min(m_doc->GetCount(), m_lastCount) : 0;
    const int width = GraphWidth();
    for (int s = 0; s < count; ++s) {
        if (!m_doc->GetExpanded(s))
            continue;
        if (CGridCellSeries* cell = SeriesCell(s))
            ShowDetailNow(s, *cell, true, width);
    }
}

void CTabGrid::ShowDetailNow(int series, CGridCellSeries& cell, bool expanded, int graphWidth)
{
    if (expanded)
        cell.Expand(true, graphWidth);
    else
        cell.Collapse(true);
    m_grid->SetRowHeight(DetailRow(series), cell.GetCurrentHeight());
}

CGridCellSeries* CTabGrid::SeriesCell(int series) const
{
    return dynamic_cast<CGridCellSeries*>(m_grid->GetCell(DetailRow(series), 1));
}

CGridCellDetailGripper* CTabGrid::Gripper(int series) const
{
    return dynamic_cast<CGridCellDetailGripper*>(m_grid->GetCell(ValueRow(series), 0));
}

void CTabGrid::WriteHeader()
{
    const int columns = m_grid->GetColumnCount();
    for (int c = 0; c < columns; ++c)
        m_grid->SetCell(0, c, SeriesRowCells::MakeHeaderCell(c, m_energy));
}

void CTabGrid::CreateSeriesRows(int s, int lastCol, int graphWidth)
{
    const int valueRow = ValueRow(s);
    const int detailRow = DetailRow(s);

    // Detail row: the gradient cell and the merged graph cell.
    m_grid->SetCell(detailRow, 0, SeriesRowCells::MakeDetailLeftCell());
    std::unique_ptr<CGridCellSeries> graph = SeriesRowCells::MakeGraphCell(this, m_doc, s);
    CGridCellSeries* graphCell = graph.get();
    m_grid->SetCell(detailRow, 1, std::move(graph));
    m_grid->MergeCells(detailRow, 1, lastCol);
    m_grid->SetRowFocusable(detailRow, false);

    // Value row: the gripper, the text cells and the bar-range cell; their
    // texts come when the row is first used.
    for (int c = 0; c <= lastCol; ++c)
        m_grid->SetCell(valueRow, c, SeriesRowCells::MakeValueCell(c));
    SeriesRowCells::SetGripperState(m_grid->GetCell(valueRow, 0), m_doc->GetExpanded(s), m_doc->GetInSummary(s));
    m_grid->SetRowNeedsPrepare(valueRow, true);

    ShowDetailNow(s, *graphCell, m_doc->GetExpanded(s), graphWidth);
}

void CTabGrid::RebindSeriesRows(int s, int graphWidth)
{
    const bool expanded = m_doc->GetExpanded(s);
    if (CGridCellDetailGripper* gripper = Gripper(s)) {
        gripper->SetExpanded(expanded);
        gripper->SetTicked(m_doc->GetInSummary(s));
    }
    m_grid->SetRowNeedsPrepare(ValueRow(s), true);
    if (CGridCellSeries* graph = SeriesCell(s)) {
        graph->Bind(m_doc, s);
        ShowDetailNow(s, *graph, expanded, graphWidth);
    }
}

void CTabGrid::FillAll()
{
    if (m_doc == nullptr)
        return;
    // Whatever was queued is covered by this fill.
    m_refillPending = false;
    m_pendingAll = false;
    m_pendingSeries.clear();
    m_animation.stop();
    m_animating.clear();

    const int count = m_doc->GetCount();
    const uint8_t sortMode = m_doc->GetSortMode();
    m_energy = m_doc->IsEnergyMode();
    m_dtFormat = ViewSettings::DtFormat();
    const int columns = SeriesPageText::ColumnCount(m_energy);
    const int lastCol = columns - 1;

    // Column widths survive the refill of a sorted table.  Unsorted (mode 0:
    // new data, another language or date format) the columns are sized anew,
    // so no date is cut and no AM/PM lost.
    if (m_grid->GetRowCount() > 1 && m_grid->GetColumnCount() == columns)
        m_savedWidths = m_grid->GetColumnWidths();
    if (!m_doc->HasSeries() || m_forgetWidths || sortMode == 0 || static_cast<int>(m_savedWidths.size()) != columns)
        m_savedWidths.clear();
    m_forgetWidths = !m_doc->HasSeries();

    // The selection stays only while the rows still hold the same series.
    const bool keepSelection = count == m_lastCount && sortMode == m_lastSortMode;
    const std::vector<uint32_t> selection = keepSelection ? m_lastSelection : std::vector<uint32_t>();
    const QPoint focus = m_grid->GetFocusCell();

    m_grid->SetRedraw(false);
    m_grid->EndEdit(false);
    // Rows of the same shape (same series count and columns: a sort, a new
    // language or date format) keep their cells, which are bound afresh;
    // building two million cells anew would cost most of a large refill.
    const bool reuseRows = count > 0 && count == m_lastCount && m_grid->GetColumnCount() == columns &&
                           m_grid->GetRowCount() == 2 * count + 1;
    if (reuseRows) {
        m_grid->ClearSelection();
    } else {
        m_grid->Clear();
        m_grid->SetColumnCount(columns);
        m_grid->SetRowCount(2 * count + 1);
    }
    m_grid->SetRowHeight(0, kHeaderHeight);
    WriteHeader();

    const int graphWidth = m_savedWidths.empty() ? 0 : [&] {
        int w = 0;
        for (int c = 1; c < columns; ++c)
            w += m_savedWidths[static_cast<size_t>(c)];
        return w;
    }();
    const QByteArray updating = ViewText::Load(ViewStrings::kUpdating).toUtf8();
    for (int s = 0; s < count; ++s) {
        if (reuseRows)
            RebindSeriesRows(s, graphWidth);
        else
            CreateSeriesRows(s, lastCol, graphWidth);
        if ((s + 1) % kFillProgressEvery == 0)
            emit progressText(ViewText::Q(Platform::FormatU(u"%s %d", updating.constData(), s + 1)));
    }
    m_lastCount = count;

    int markColumn = -1;
    bool ascending = true;
    if (SortMark(sortMode, markColumn, ascending) && markColumn < columns)
        m_grid->SetSortMark(markColumn, ascending);
    else
        m_grid->SetSortMark(-1, true);

    if (!m_savedWidths.empty()) {
        for (int c = 0; c < columns; ++c)
            m_grid->SetColumnWidth(c, m_savedWidths[static_cast<size_t>(c)]);
    } else {
        m_grid->AutoSizeColumns();
        m_sizedHidden = !isVisible();
        m_meanFill = 0;
        m_meanFilledWidth = count > 0 ? m_grid->GetColumnWidth(ColMean) : -1;
        FitMeanColumn();
    }
    // Expanded rows measured before the widths were known are measured again.
    if (graphWidth != GraphWidth())
        RemeasureExpanded();

    if (keepSelection) {
        for (size_t r = 1; r < selection.size() && r < static_cast<size_t>(m_grid->GetRowCount()); ++r)
            m_grid->SetRowSelection(static_cast<int>(r), selection[r]);
        if (focus.y() >= 1 && focus.y() < m_grid->GetRowCount())
            m_grid->SetFocusCell(focus.y(), focus.x());
    }
    m_lastSelection.assign(static_cast<size_t>(m_grid->GetRowCount()), 0);
    for (int r = 1; r < m_grid->GetRowCount(); ++r)
        m_lastSelection[static_cast<size_t>(r)] = m_grid->GetRowSelection(r);
    m_lastCount = count;
    m_lastSortMode = sortMode;
    m_grid->SetRedraw(true);
    UpdateStatus();
}

void CTabGrid::FillSeries(int s)
{
    if (m_doc == nullptr)
        return;
    if (s < 0 || s >= m_doc->GetCount() || ValueRow(s) >= m_grid->GetRowCount() || m_lastCount != m_doc->GetCount()) {
        // The rows no longer match the document: rebuild them all.
        FillAll();
        return;
    }
    m_grid->SetRowNeedsPrepare(ValueRow(s), true);
    if (CGridCellDetailGripper* gripper = Gripper(s)) {
        gripper->SetExpanded(m_doc->GetExpanded(s));
        gripper->SetTicked(m_doc->GetInSummary(s));
    }
    if (CGridCellSeries* cell = SeriesCell(s)) {
        const bool expanded = m_doc->GetExpanded(s);
        const bool shown = m_grid->GetRowHeight(DetailRow(s)) > 0 && !cell->IsCollapsing();
        if (expanded != shown)
            ShowDetailNow(s, *cell, expanded, GraphWidth());
    }
    m_grid->RedrawRow(ValueRow(s));
    m_grid->RedrawRow(DetailRow(s));
}

void CTabGrid::PrepareRow(int row)
{
    const int s = SeriesOfRow(row);
    if (IsDetailRow(row) || s < 0 || m_doc == nullptr || s >= m_doc->GetCount())
        return;
    std::array<CGridCell*, CGridCtrl::kMaxColumns> cells{};
    const int columns = std::min(m_grid->GetColumnCount(), CGridCtrl::kMaxColumns);
    for (int c = 0; c < columns; ++c)
        cells[static_cast<size_t>(c)] = m_grid->GetCell(row, c);
    SeriesRowCells::FillValueRow(cells.data(), columns, m_doc->GetCurrent(), s, m_energy, m_dtFormat);
}

std::u16string CTabGrid::GetCopyText()
{
    FlushPendingRefill();
    const SCellRange all{0, 0, m_grid->GetRowCount() - 1, m_grid->GetColumnCount() - 1};
    return ViewText::U(m_grid->GetCopyText(all));
}

// --- Sorting ------------------------------------------------------------------

bool CTabGrid::SortCodes(int column, uint8_t& first, uint8_t& second)
{
    static const uint8_t kCodes[SeriesPageText::MaxColumns][2] = {
        {1, 2}, {5, 6}, {3, 4}, {7, 8}, {17, 18}, {9, 10}, {11, 12}, {19, 20}, {15, 16}, {21, 22},
    };
    if (column < 0 || column >= SeriesPageText::MaxColumns)
        return false;
    first = kCodes[column][0];
    second = kCodes[column][1];
    return true;
}

bool CTabGrid::SortMark(uint8_t mode, int& column, bool& ascending)
{
    for (int c = 0; c < SeriesPageText::MaxColumns; ++c) {
        uint8_t first = 0, second = 0;
        SortCodes(c, first, second);
        if (mode == first || mode == second) {
            column = c;
            ascending = (mode & 1) != 0;
            return true;
        }
    }
    return false;
}

void CTabGrid::OnHeaderClicked(int column)
{
    if (m_doc == nullptr || column < 0 || column >= m_grid->GetColumnCount())
        return;
    uint8_t first = 0, second = 0;
    if (!SortCodes(column, first, second))
        return;
    FlushPendingRefill();
    const int top = m_grid->GetTopRow();
    m_doc->Sort(m_doc->GetSortMode() == first ? second : first);
    FillAll();
    m_savedWidths = m_grid->GetColumnWidths();
    NotifyOthers(-1);
    QMetaObject::invokeMethod(this, [this, top] { RefillAndScroll(top); }, Qt::QueuedConnection);
}

// --- Selection and status ---------------------------------------------------------

std::vector<uint8_t> CTabGrid::SelectedSeries() const
{
    const int count = m_doc != nullptr ? m_doc->GetCount() : 0;
    std::vector<uint8_t> flags(static_cast<size_t>(count), 0);
    if (m_lastCount != count)
        return flags;
    for (int s = 0; s < count; ++s) {
        if (m_grid->GetRowSelection(ValueRow(s)) != 0 || m_grid->GetRowSelection(DetailRow(s)) != 0)
            flags[static_cast<size_t>(s)] = 1;
    }
    return flags;
}

int CTabGrid::GetSelectedCount() const
{
    // Series whose value cell or detail cell in column 1, or whose detail
    // cell in column 0, is selected.
    int selected = 0;
    const int count = m_lastCount > 0 ? m_lastCount : 0;
    for (int s = 0; s < count; ++s) {
        const uint32_t value = m_grid->GetRowSelection(ValueRow(s));
        const uint32_t detail = m_grid->GetRowSelection(DetailRow(s));
        if ((value & 2u) != 0 || m_grid->IsMergedCellSelected(DetailRow(s), 1) || (detail & 1u) != 0)
            ++selected;
    }
    return selected;
}

QString CTabGrid::GetStatusText() const
{
    const QByteArray selected = ViewText::Load(ViewStrings::kSelectedObjects).toUtf8();
    const QByteArray total = ViewText::Load(ViewStrings::kTotalObjects).toUtf8();
    return ViewText::Q(Platform::FormatU(u"%s %d      %s %d        ", selected.constData(), GetSelectedCount(),
                                         total.constData(), m_doc != nullptr ? m_doc->GetCount() : 0));
}

void CTabGrid::UpdateStatus()
{
    emit statusText(GetStatusText());
}

void CTabGrid::OnSelectionChanged()
{
    // Value row and detail row of a series are selected together: a change
    // in one row of the pair is copied to the other.
    const int rows = m_grid->GetRowCount();
    m_lastSelection.resize(static_cast<size_t>(rows), 0);
    for (int value = 1; value + 1 < rows; value += 2) {
        const int detail = value + 1;
        const uint32_t v = m_grid->GetRowSelection(value);
        const uint32_t d = m_grid->GetRowSelection(detail);
        const uint32_t oldV = m_lastSelection[static_cast<size_t>(value)];
        const uint32_t oldD = m_lastSelection[static_cast<size_t>(detail)];
        uint32_t both = v | d;
        if (v != oldV && d == oldD)
            both = v;
        else if (d != oldD && v == oldV)
            both = d;
        if (v != both)
            m_grid->SetRowSelection(value, both);
        if (d != both)
            m_grid->SetRowSelection(detail, both);
        m_lastSelection[static_cast<size_t>(value)] = both;
        m_lastSelection[static_cast<size_t>(detail)] = both;
    }
    UpdateStatus();
}

void CTabGrid::SelectValueRow(int series)
{
    const int columns = m_grid->GetColumnCount();
    m_grid->SelectRange(SCellRange{ValueRow(series), 0, DetailRow(series), columns - 1}, false);
    m_grid->SetFocusCell(ValueRow(series), std::max(m_grid->GetFocusCell().x(), 0));
    OnSelectionChanged();
}

void CTabGrid::SelectAllCells()
{
    FlushPendingRefill();
    m_grid->SelectAll();
    OnSelectionChanged();
}

void CTabGrid::NotifyOthers(int seriesIndex)
{
    if (m_doc != nullptr)
        m_doc->NotifyViews(this, seriesIndex);
}

void CTabGrid::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Columns sized while the page was hidden are sized again at its size.
    if (m_sizedHidden) {
        m_sizedHidden = false;
        m_forgetWidths = true;
        OnDocumentChanged(-1);
    }
}

void CTabGrid::changeEvent(QEvent* event)
{
    // A new language: captions and texts are loaded again.
    if (event->type() == QEvent::LanguageChange)
        OnDocumentChanged(-1);
    QWidget::changeEvent(event);
}
