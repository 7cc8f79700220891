// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: structure, sizes, selection, copy text.  Drawing is in
// GridCtrlPaint.cpp, mouse and keys in GridCtrlInput.cpp.
#include "controls/GridCtrl.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>
#include <bit>

namespace {

uint32_t ColumnBits(int firstCol, int lastCol)
{
    uint32_t mask = 0;
    for (int c = std::max(firstCol, 0); c <= lastCol && c < CGridCtrl::kMaxColumns; ++c)
        mask |= 1u << c;
    return mask;
}

} // namespace

CGridCtrl::CGridCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_rows.resize(1);
    m_rows[0].height = 26;
    m_rows[0].focusable = false;
    m_selection.resize(1, 0);
    SetColumnCount(1);
}

CGridCtrl::~CGridCtrl()
{
    // No signal of the editor may reach a grid that is going away.
    if (m_editor != nullptr) {
        m_editor->removeEventFilter(this);
        m_editor->disconnect(this);
    }
}

CGridCtrl::SRow* CGridCtrl::RowAt(int row)
{
    if (row < 0 || row >= GetRowCount())
        return nullptr;
    return &m_rows[static_cast<size_t>(row)];
}

const CGridCtrl::SRow* CGridCtrl::RowAt(int row) const
{
    if (row < 0 || row >= GetRowCount())
        return nullptr;
    return &m_rows[static_cast<size_t>(row)];
}

void CGridCtrl::SetColumnCount(int count)
{
    count = std::clamp(count, 1, kMaxColumns);
    if (m_editor != nullptr)
        EndEdit(false);
    m_colWidths.resize(static_cast<size_t>(count), m_defaultColumnWidth);
    for (SRow& row : m_rows) {
        row.cells.resize(static_cast<size_t>(count));
        if (row.mergeLast >= count) {
            row.mergeFirst = -1;
            row.mergeLast = -1;
        }
    }
    const uint32_t keep = ColumnBits(0, count - 1);
    for (uint32_t& mask : m_selection)
        mask &= keep;
    CountSelection();
    UpdateScrollBars();
    RedrawAll();
}

void CGridCtrl::SetRowCount(int count)
{
    count = std::max(count, 1);
    if (m_editor != nullptr)
        EndEdit(false);
    const size_t old = m_rows.size();
    m_rows.resize(static_cast<size_t>(count));
    for (size_t r = old; r < m_rows.size(); ++r) {
        m_rows[r].cells.resize(m_colWidths.size());
        m_rows[r].height = m_defaultRowHeight;
    }
    m_selection.resize(static_cast<size_t>(count), 0);
    if (static_cast<size_t>(count) < old)
        CountSelection();
    if (m_focus.y() >= count)
        m_focus = QPoint(-1, -1);
    if (m_anchor.y() >= count)
        m_anchor = QPoint(-1, -1);
    if (m_hoverCell.y() >= count)
        m_hoverCell = QPoint(-1, -1);
    m_rowTopsDirty = true;
    UpdateScrollBars();
    RedrawAll();
}

void CGridCtrl::Clear()
{
    SetRowCount(1);
    for (auto& cell : m_rows[0].cells)
        cell.reset();
    ClearSelection();
}

void CGridCtrl::SetCell(int row, int col, std::unique_ptr<CGridCell> cell)
{
    SRow* r = RowAt(row);
    if (r == nullptr || col < 0 || col >= GetColumnCount())
        return;
    if (m_hoverCell == QPoint(col, row))
        m_hoverCell = QPoint(-1, -1);
    if (m_editor != nullptr && m_editCell == QPoint(col, row))
        EndEdit(false);
    r->cells[static_cast<size_t>(col)] = std::move(cell);
}

CGridCell* CGridCtrl::GetCell(int row, int col) const
{
    const SRow* r = RowAt(row);
    if (r == nullptr || col < 0 || col >= GetColumnCount())
        return nullptr;
    if (r->mergeFirst >= 0 && col >= r->mergeFirst && col <= r->mergeLast)
        col = r->mergeFirst;
    return r->cells[static_cast<size_t>(col)].get();
}

void CGridCtrl::MergeCells(int row, int firstCol, int lastCol)
{
    SRow* r = RowAt(row);
    if (r == nullptr)
        return;
    if (firstCol < 0 || lastCol >= GetColumnCount() || firstCol >= lastCol) {
        r->mergeFirst = -1;
        r->mergeLast = -1;
        return;
    }
    r->mergeFirst = static_cast<int8_t>(firstCol);
    r->mergeLast = static_cast<int8_t>(lastCol);
    for (int c = firstCol + 1; c <= lastCol; ++c)
        r->cells[static_cast<size_t>(c)].reset();
}

void CGridCtrl::GetCellSpan(int row, int col, int& firstCol, int& lastCol) const
{
    firstCol = lastCol = col;
    const SRow* r = RowAt(row);
    if (r != nullptr && r->mergeFirst >= 0 && col >= r->mergeFirst && col <= r->mergeLast) {
        firstCol = r->mergeFirst;
        lastCol = r->mergeLast;
    }
}

// --- Sizes ----------------------------------------------------------------

void CGridCtrl::SetRowHeight(int row, int height)
{
    SRow* r = RowAt(row);
    if (r == nullptr)
        return;
    height = std::clamp(height, 0, kMaxRowHeight);
    if (r->height == height)
        return;
    r->height = height;
    m_rowTopsDirty = true;
    if (m_redraw) {
        UpdateScrollBars();
        if (m_editor != nullptr)
            PlaceEditor();
        viewport()->update();
    }
}

int CGridCtrl::GetRowHeight(int row) const
{
    const SRow* r = RowAt(row);
    return r != nullptr ? r->height : 0;
}

void CGridCtrl::SetColumnWidth(int col, int width)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    width = std::clamp(width, 0, 20000);
    m_colWidths[static_cast<size_t>(col)] = width;
    if (m_redraw) {
        UpdateScrollBars();
        if (m_editor != nullptr)
            PlaceEditor();
        viewport()->update();
    }
}

int CGridCtrl::GetColumnWidth(int col) const
{
    if (col < 0 || col >= GetColumnCount())
        return 0;
    return m_colWidths[static_cast<size_t>(col)];
}

int CGridCtrl::GetTotalWidth() const
{
    int total = 0;
    for (int w : m_colWidths)
        total += w;
    return total;
}

QSize CGridCtrl::GetClientSize() const
{
    return viewport()->size();
}

std::vector<int> CGridCtrl::SampledRows(int body, int sampleRows)
{
    std::vector<int> rows;
    if (body <= 0)
        return rows;
    const int samples = std::max(1, sampleRows);
    if (body <= samples) {
        for (int row = 1; row <= body; ++row)
            rows.push_back(row);
        return rows;
    }
    // The first rows, then rows spread evenly over the rest.
    const int head = samples / 2;
    for (int row = 1; row <= head; ++row)
        rows.push_back(row);
    const int spread = samples - head;
    for (int k = 0; k < spread; ++k)
        rows.push_back(head + 1 + static_cast<int>(static_cast<int64_t>(k) * (body - head) / spread));
    return rows;
}

void CGridCtrl::AutoSizeColumns(int sampleRows)
{
    const QFontMetrics metrics(font());
    const int cols = GetColumnCount();
    std::vector<int> widths(static_cast<size_t>(cols), 0);
    auto measureRow = [&](int row) {
        const SRow* r = RowAt(row);
        if (r == nullptr)
            return;
        PrepareRow(row);
        for (int c = 0; c < cols; ++c) {
            if (r->mergeFirst >= 0 && c >= r->mergeFirst && c <= r->mergeLast)
                continue;   // merged cells share their width
            const CGridCell* cell = r->cells[static_cast<size_t>(c)].get();
            if (cell != nullptr)
                widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], cell->GetExtentWidth(metrics));
        }
    };
    measureRow(0);
    // Room for the sort mark in every header cell.
    for (int& w : widths)
        w += 14;
    for (int row : SampledRows(GetRowCount() - 1, sampleRows))
        measureRow(row);
    for (int c = 0; c < cols; ++c)
        m_colWidths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], 10);
    UpdateScrollBars();
    RedrawAll();
}

void CGridCtrl::UpdateRowTops() const
{
    if (!m_rowTopsDirty)
        return;
    m_rowTops.resize(m_rows.size() + 1);
    int y = 0;
    m_rowTops[0] = 0;
    for (size_t r = 1; r < m_rows.size(); ++r) {
        m_rowTops[r] = y;
        y += m_rows[r].height;
    }
    m_rowTops[m_rows.size()] = y;
    m_rowTopsDirty = false;
}

int CGridCtrl::GetRowTop(int row) const
{
    if (row <= 0)
        return 0;
    UpdateRowTops();
    row = std::min(row, GetRowCount());
    return m_rowTops[static_cast<size_t>(row)];
}

int CGridCtrl::HeaderHeight() const
{
    return m_rows[0].height;
}

int CGridCtrl::BodyHeight() const
{
    UpdateRowTops();
    return m_rowTops[m_rows.size()];
}

int CGridCtrl::ColumnLeft(int col) const
{
    int x = 0;
    for (int c = 0; c < col && c < GetColumnCount(); ++c)
        x += m_colWidths[static_cast<size_t>(c)];
    return x;
}

int CGridCtrl::RowAtBodyY(int y) const
{
    UpdateRowTops();
    if (y < 0 || y >= m_rowTops[m_rows.size()])
        return -1;
    // The last row whose top is <= y; rows of height 0 share the top of the
    // next row, upper_bound skips them.
    const auto begin = m_rowTops.begin() + 1;
    const auto end = m_rowTops.begin() + static_cast<long>(m_rows.size());
    const auto it = std::upper_bound(begin, end, y);
    return static_cast<int>(it - m_rowTops.begin()) - 1;
}

int CGridCtrl::ColumnAtX(int x) const
{
    if (x < 0)
        return -1;
    int left = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
        left += m_colWidths[static_cast<size_t>(c)];
        if (x < left)
            return c;
    }
    return -1;
}

void CGridCtrl::UpdateScrollBars()
{
    const QSize view = viewport()->size();
    const int bodyView = std::max(0, view.height() - HeaderHeight());
    verticalScrollBar()->setPageStep(std::max(bodyView, 1));
    verticalScrollBar()->setSingleStep(m_defaultRowHeight);
    verticalScrollBar()->setRange(0, std::max(0, BodyHeight() - bodyView));
    horizontalScrollBar()->setPageStep(std::max(view.width(), 1));
    horizontalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setRange(0, std::max(0, GetTotalWidth() - view.width()));
}

// --- Scrolling ------------------------------------------------------------

int CGridCtrl::GetTopRow() const
{
    const int row = RowAtBodyY(verticalScrollBar()->value());
    return row < 1 ? (GetRowCount() > 1 ? 1 : -1) : row;
}

void CGridCtrl::SetTopRow(int row)
{
    if (row < 1 || row >= GetRowCount())
        return;
    UpdateScrollBars();
    verticalScrollBar()->setValue(GetRowTop(row));
}

void CGridCtrl::EnsureVisible(int row, int col)
{
    if (row >= 1 && row < GetRowCount()) {
        const int top = GetRowTop(row);
        const int bottom = top + GetRowHeight(row);
        const int viewHeight = std::max(0, viewport()->height() - HeaderHeight());
        QScrollBar* v = verticalScrollBar();
        if (top < v->value())
            v->setValue(top);
        else if (bottom > v->value() + viewHeight)
            v->setValue(std::min(top, bottom - viewHeight));
    }
    if (col >= 0 && col < GetColumnCount()) {
        const int left = ColumnLeft(col);
        const int right = left + GetColumnWidth(col);
        QScrollBar* h = horizontalScrollBar();
        if (left < h->value())
            h->setValue(left);
        else if (right > h->value() + viewport()->width())
            h->setValue(std::min(left, right - viewport()->width()));
    }
}

bool CGridCtrl::HitTest(const QPoint& pos, int& row, int& col) const
{
    row = col = -1;
    col = ColumnAtX(pos.x() + horizontalScrollBar()->value());
    if (col < 0)
        return false;
    if (pos.y() < HeaderHeight()) {
        row = 0;
        return pos.y() >= 0;
    }
    row = RowAtBodyY(pos.y() - HeaderHeight() + verticalScrollBar()->value());
    if (row < 1) {
        row = col = -1;
        return false;
    }
    int first = col, last = col;
    GetCellSpan(row, col, first, last);
    col = first;
    return true;
}

QRect CGridCtrl::GetCellRect(int row, int col) const
{
    int first = col, last = col;
    GetCellSpan(row, col, first, last);
    int width = 0;
    for (int c = first; c <= last; ++c)
        width += GetColumnWidth(c);
    const int x = ColumnLeft(first) - horizontalScrollBar()->value();
    const int y = row == 0 ? 0 : HeaderHeight() + GetRowTop(row) - verticalScrollBar()->value();
    return QRect(x, y, width, GetRowHeight(row));
}

// --- Rows to prepare --------------------------------------------------------

void CGridCtrl::SetRowNeedsPrepare(int row, bool needs)
{
    if (SRow* r = RowAt(row))
        r->needsPrepare = needs;
}

void CGridCtrl::PrepareRow(int row) const
{
    const SRow* r = RowAt(row);
    if (r == nullptr || !r->needsPrepare || !m_preparer)
        return;
    // Cleared first: a preparer that asks for the row's texts again must
    // not come back here.
    const_cast<SRow*>(r)->needsPrepare = false;
    m_preparer(row);
}

// --- Selection --------------------------------------------------------------

bool CGridCtrl::IsCellSelected(int row, int col) const
{
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= GetColumnCount())
        return false;
    return (m_selection[static_cast<size_t>(row)] & (1u << col)) != 0;
}

bool CGridCtrl::IsMergedCellSelected(int row, int col) const
{
    int first = col, last = col;
    GetCellSpan(row, col, first, last);
    if (row < 0 || row >= GetRowCount())
        return false;
    return (m_selection[static_cast<size_t>(row)] & ColumnBits(first, last)) != 0;
}

uint32_t CGridCtrl::GetRowSelection(int row) const
{
    if (row < 0 || row >= GetRowCount())
        return 0;
    return m_selection[static_cast<size_t>(row)];
}

void CGridCtrl::SetRowSelection(int row, uint32_t mask)
{
    if (row < 1 || row >= GetRowCount())
        return;
    mask &= ColumnBits(0, GetColumnCount() - 1);
    uint32_t& current = m_selection[static_cast<size_t>(row)];
    if (current == mask)
        return;
    m_selectedCells += std::popcount(mask) - std::popcount(current);
    current = mask;
    if (m_redraw)
        RedrawRow(row);
}

void CGridCtrl::SetCellSelected(int row, int col, bool selected)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    const uint32_t mask = GetRowSelection(row);
    SetRowSelection(row, selected ? (mask | (1u << col)) : (mask & ~(1u << col)));
}

void CGridCtrl::SelectRange(const SCellRange& range, bool add)
{
    if (!add) {
        std::fill(m_selection.begin(), m_selection.end(), 0);
        m_selectedCells = 0;
    }
    if (range.IsValid()) {
        const int lastRow = std::min(range.maxRow, GetRowCount() - 1);
        const uint32_t bits = ColumnBits(range.minCol, std::min(range.maxCol, GetColumnCount() - 1));
        for (int r = std::max(range.minRow, 1); r <= lastRow; ++r) {
            uint32_t& mask = m_selection[static_cast<size_t>(r)];
            m_selectedCells += std::popcount(mask | bits) - std::popcount(mask);
            mask |= bits;
        }
    }
    RedrawAll();
}

void CGridCtrl::SelectAll()
{
    SelectRange(SCellRange{1, 0, GetRowCount() - 1, GetColumnCount() - 1}, false);
}

void CGridCtrl::ClearSelection()
{
    std::fill(m_selection.begin(), m_selection.end(), 0);
    m_selectedCells = 0;
    RedrawAll();
}

void CGridCtrl::CountSelection()
{
    m_selectedCells = 0;
    for (uint32_t mask : m_selection)
        m_selectedCells += std::popcount(mask);
}

SCellRange CGridCtrl::GetSelectionBounds() const
{
    SCellRange range;
    if (m_selectedCells == 0)
        return range;
    uint32_t columns = 0;
    for (int r = 1; r < GetRowCount(); ++r) {
        const uint32_t mask = m_selection[static_cast<size_t>(r)];
        if (mask == 0)
            continue;
        if (range.minRow < 0)
            range.minRow = r;
        range.maxRow = r;
        columns |= mask;
    }
    if (columns == 0)
        return SCellRange{};
    range.minCol = std::countr_zero(columns);
    range.maxCol = 31 - std::countl_zero(columns);
    return range;
}

void CGridCtrl::SetFocusCell(int row, int col)
{
    if (row < 1 || row >= GetRowCount() || col < 0 || col >= GetColumnCount()) {
        m_focus = QPoint(-1, -1);
        RedrawAll();
        return;
    }
    const QPoint old = m_focus;
    m_focus = QPoint(col, row);
    if (old != m_focus) {
        if (old.y() >= 0)
            RedrawRow(old.y());
        RedrawRow(row);
    }
}

void CGridCtrl::SetRowFocusable(int row, bool focusable)
{
    if (SRow* r = RowAt(row))
        r->focusable = focusable;
}

// --- Copy text ----------------------------------------------------------------

QString CGridCtrl::GetCopyText(const SCellRange& range) const
{
    QString text;
    if (!range.IsValid())
        return text;
    const int lastRow = std::min(range.maxRow, GetRowCount() - 1);
    const int lastCol = std::min(range.maxCol, GetColumnCount() - 1);
    for (int r = range.minRow; r <= lastRow; ++r) {
        PrepareRow(r);
        const SRow& row = m_rows[static_cast<size_t>(r)];
        for (int c = range.minCol; c <= lastCol; ++c) {
            // A merged cell contributes once, at its first column in the block.
            if (row.mergeFirst >= 0 && c > row.mergeFirst && c <= row.mergeLast && c != range.minCol)
                continue;
            const CGridCell* cell = GetCell(r, c);
            if (cell != nullptr)
                text += cell->GetCopyText();
        }
    }
    return text;
}

// --- Editing ------------------------------------------------------------------

bool CGridCtrl::EditCell(int row, int col, const QString* initial)
{
    PrepareRow(row);
    CGridCell* cell = GetCell(row, col);
    if (row < 1 || cell == nullptr || cell->IsReadOnly() || GetRowHeight(row) == 0)
        return false;
    if (m_editor != nullptr)
        EndEdit(true);
    int first = col, last = col;
    GetCellSpan(row, col, first, last);
    EnsureVisible(row, first);
    m_editCell = QPoint(first, row);
    m_editor = new QLineEdit(viewport());
    m_editor->setFrame(false);
    m_editor->setText(initial != nullptr ? *initial : cell->GetText());
    if (initial == nullptr)
        m_editor->selectAll();
    connect(m_editor, &QLineEdit::editingFinished, this, [this] {
        if (m_editor != nullptr && !m_editor->hasFocus())
            EndEdit(true);
    });
    m_editor->installEventFilter(this);
    PlaceEditor();
    m_editor->show();
    m_editor->setFocus();
    return true;
}

void CGridCtrl::PlaceEditor()
{
    if (m_editor == nullptr)
        return;
    const QRect rect = GetCellRect(m_editCell.y(), m_editCell.x());
    m_editor->setGeometry(rect.adjusted(1, 1, -1, -1));
}

void CGridCtrl::EndEdit(bool commit)
{
    if (m_editor == nullptr)
        return;
    QLineEdit* editor = m_editor;
    const QPoint cell = m_editCell;
    const QString text = editor->text();
    m_editor = nullptr;
    m_editCell = QPoint(-1, -1);
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    setFocus();
    if (commit)
        emit cellEdited(cell.y(), cell.x(), text);
}

// --- Header sort mark -----------------------------------------------------------

void CGridCtrl::SetSortMark(int col, bool ascending)
{
    m_sortColumn = col >= 0 && col < GetColumnCount() ? col : -1;
    m_sortAscending = ascending;
    if (m_redraw)
        viewport()->update(QRect(0, 0, viewport()->width(), HeaderHeight()));
}
