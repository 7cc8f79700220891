// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: a grid of cells with one fixed header row (row 0).
//
// Rows and columns have their own heights and widths; a row of height 0 is
// hidden.  Each cell is an object of a CGridCell class (plain text or a
// custom cell); a range of cells of one row can be merged into one cell,
// which is then held and drawn by its first column.  The grid offers
// multi-cell selection with the Shift/Ctrl conventions, a header sort mark,
// automatic column widths, in-place editing of cells that are not read-only,
// the copy text of a block, drawing of a block into any painter (printer,
// picture) with the code that draws the screen, and tool tips and cursors
// fed by the cells.
//
// Sizes: rows are kept in one array with lazily recomputed row tops, so a
// grid of several hundred thousand rows scrolls and paints only what is in
// view.  Rows can be marked "to prepare": before such a row is drawn, copied
// or measured, the grid hands it to the row preparer, which fills in its
// texts (the series table computes its texts only for rows that are used).
#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "controls/GridCell.h"

class QLineEdit;
class QPainter;

// A block of cells, inclusive.
struct SCellRange {
    int minRow = -1, minCol = -1, maxRow = -1, maxCol = -1;
    bool IsValid() const { return minRow >= 0 && minCol >= 0 && maxRow >= minRow && maxCol >= minCol; }
    bool Contains(int row, int col) const
    {
        return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
};

class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kMaxColumns = 32;
    static constexpr int kMaxRowHeight = 8000;

    enum ClickType { clickLeft, clickRight, clickDouble };

    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // --- Structure -------------------------------------------------------
    // Column count 1..kMaxColumns.  New columns get the default width.
    void SetColumnCount(int count);
    int GetColumnCount() const { return static_cast<int>(m_colWidths.size()); }
    // Row count including the header row (at least 1).  Rows beyond the new
    // count are dropped with their cells; new rows are empty, default height.
    void SetRowCount(int count);
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    // Drops every row but the header, and the header's cells.
    void Clear();

    // Puts a cell at (row, col), replacing what was there.  The grid owns it.
    void SetCell(int row, int col, std::unique_ptr<CGridCell> cell);
    // The cell at (row, col); for a merged range the cell of its first
    // column.  Null when there is none.
    CGridCell* GetCell(int row, int col) const;
    // Merges the cells firstCol..lastCol of a row (one range per row).
    void MergeCells(int row, int firstCol, int lastCol);
    // The columns of the cell at (row, col): its merged range or itself.
    void GetCellSpan(int row, int col, int& firstCol, int& lastCol) const;

    // --- Sizes -----------------------------------------------------------
    void SetDefaultRowHeight(int height) { m_defaultRowHeight = height; }
    int GetDefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultColumnWidth(int width) { m_defaultColumnWidth = width; }
    // 0 hides the row.  Heights are clamped to 0..kMaxRowHeight.
    void SetRowHeight(int row, int height);
    int GetRowHeight(int row) const;
    void SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const;
    std::vector<int> GetColumnWidths() const { return m_colWidths; }
    // Sizes every column to its widest text (header row and a sample of at
    // most `sampleRows` body rows spread over the grid).
    static constexpr int kAutoSizeSample = 2000;
    void AutoSizeColumns(int sampleRows = kAutoSizeSample);
    // The body rows (1-based) a sizing of `bodyRows` rows measures: all of
    // them up to `sampleRows`, else the first half of the sample and the
    // rest spread evenly over the remaining rows.
    static std::vector<int> SampledRows(int bodyRows, int sampleRows);
    // Sum of the column widths.
    int GetTotalWidth() const;
    // The area the rows are drawn in (the viewport).
    QSize GetClientSize() const;

    // --- Header sort mark ------------------------------------------------
    // col < 0: no mark.
    void SetSortMark(int col, bool ascending);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsSortAscending() const { return m_sortAscending; }

    // --- Selection and focus ---------------------------------------------
    bool IsCellSelected(int row, int col) const;
    // A merged cell counts as selected when any of its columns is.
    bool IsMergedCellSelected(int row, int col) const;
    // Selection of one body row as a bit mask of columns.
    uint32_t GetRowSelection(int row) const;
    void SetRowSelection(int row, uint32_t mask);
    void SetCellSelected(int row, int col, bool selected);
    void SelectRange(const SCellRange& range, bool add);
    void SelectAll();
    void ClearSelection();
    bool HasSelection() const { return m_selectedCells > 0; }
    // The smallest block holding every selected cell (invalid when none).
    SCellRange GetSelectionBounds() const;
    QPoint GetFocusCell() const { return m_focus; }   // (col, row); row -1: none
    void SetFocusCell(int row, int col);
    // A row that cannot hold the focus passes it on: clicks give the focus
    // to the nearest focusable row above, the keys skip the row.
    void SetRowFocusable(int row, bool focusable);

    // --- Rows to prepare -------------------------------------------------
    using RowPreparer = std::function<void(int row)>;
    void SetRowPreparer(RowPreparer preparer) { m_preparer = std::move(preparer); }
    void SetRowNeedsPrepare(int row, bool needs);
    // Runs the preparer for the row when it is marked.
    void PrepareRow(int row) const;

    // --- Drawing ---------------------------------------------------------
    // Switches painting off (and on again: then repaints once).
    void SetRedraw(bool on);
    bool IsRedrawOn() const { return m_redraw; }
    void RedrawRow(int row);
    void RedrawAll();
    // Size of a block as drawn (hidden rows take no space).
    QSize GetRangeSize(const SCellRange& range) const;
    // Draws a block with its cells' own code at `origin` (top left).
    void DrawRange(QPainter& painter, const SCellRange& range, const QPoint& origin, bool printing);

    // --- Scrolling -------------------------------------------------------
    // The first body row at the top of the view.
    int GetTopRow() const;
    // Scrolls so that `row` is the first body row in view.
    void SetTopRow(int row);
    void EnsureVisible(int row, int col);
    // Top of a row in body coordinates (row 1 at 0); for row 0, 0.
    int GetRowTop(int row) const;
    // The cell under a viewport point: false outside the cells.
    bool HitTest(const QPoint& viewportPos, int& row, int& col) const;
    // The viewport rectangle of a cell (merged: the whole range).
    QRect GetCellRect(int row, int col) const;

    // --- Copy and editing ------------------------------------------------
    // Copy texts of every cell of the block, row by row (a merged cell once,
    // hidden rows included).
    QString GetCopyText(const SCellRange& range) const;
    // Starts the in-place editor on a cell that is not read-only;
    // `initial`, when given, replaces the text (a typed character).
    bool EditCell(int row, int col, const QString* initial = nullptr);
    bool IsEditing() const { return m_editor != nullptr; }
    QLineEdit* Editor() const { return m_editor; }
    // Ends the editor: commit stores nothing itself but emits cellEdited.
    void EndEdit(bool commit);

signals:
    // A click released on a body cell; `local` is relative to the cell.
    void cellClicked(int row, int col, int clickType, const QPoint& local);
    // A right click: row/col of the cell (row 0 is the header; -1: no cell).
    void rightClicked(int row, int col, const QPoint& globalPos);
    void headerClicked(int col);
    // The user changed the selection (not sent for changes made by calls).
    void selectionChanged();
    void cellEdited(int row, int col, const QString& text);
    void focusCellChanged(int row, int col);
    // The visible area changed size (the window, or a scroll bar came or went).
    void viewportResized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SRow {
        std::vector<std::unique_ptr<CGridCell>> cells;
        int height = 0;
        int8_t mergeFirst = -1;
        int8_t mergeLast = -1;
        bool needsPrepare = false;
        bool focusable = true;
    };

    SRow* RowAt(int row);
    const SRow* RowAt(int row) const;
    void UpdateRowTops() const;
    void UpdateScrollBars();
    int HeaderHeight() const;
    int BodyHeight() const;
    int ColumnLeft(int col) const;
    // Row whose body range holds body y (rows of height 0 never do).
    int RowAtBodyY(int y) const;
    int ColumnAtX(int x) const;
    void DrawRow(QPainter& painter, int row, int y, int x0, int firstCol, int lastCol, const QRect& clip,
                 bool printing);
    void CountSelection();
    void ExtendSelectionTo(int row, int col);
    void MoveFocus(int rowStep, int colStep, bool extend, bool page);
    int NextFocusableRow(int row, int step) const;
    int HeaderBorderAt(int x) const;
    void UpdateHover(const QPoint& pos);
    void PlaceEditor();

    std::vector<SRow> m_rows;
    std::vector<int> m_colWidths;
    mutable std::vector<int> m_rowTops;   // body y of each row's top; index = row
    mutable bool m_rowTopsDirty = true;
    std::vector<uint32_t> m_selection;    // per row: a bit per column
    int m_selectedCells = 0;
    QPoint m_focus{-1, -1};               // (col, row)
    QPoint m_anchor{-1, -1};              // (col, row) of Shift selections
    int m_defaultRowHeight = 22;
    int m_defaultColumnWidth = 100;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    bool m_redraw = true;
    RowPreparer m_preparer;

    // Mouse state.
    QPoint m_pressCell{-1, -1};
    bool m_selecting = false;
    int m_resizingColumn = -1;
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
    QPoint m_hoverCell{-1, -1};

    QLineEdit* m_editor = nullptr;
    QPoint m_editCell{-1, -1};
};
