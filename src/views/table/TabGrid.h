// SPDX-License-Identifier: GPL-3.0-or-later
// CTabGrid: the "Series" page.  Every series of the document is one value
// row of the grid with a detail row below it that holds the series graph;
// row 0 is the header.  The page sorts by header clicks, expands and
// collapses detail rows, ticks series for the summary, edits roll IDs in
// place and time stamps and limits of the selected series by right click,
// copies, cuts, pastes and deletes series, and copies the selected cells as
// a picture.  It never changes series data itself but through the document.
//
// Document notifications arrive synchronously; the page turns them into one
// queued refill (several notifications before it runs are merged).  Every
// command that maps rows to series first runs a pending refill, so rows and
// series always agree when they are used.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <set>
#include <vector>

#include "data/DocumentInterfaces.h"
#include "views/table/GridCellSeries.h"
#include "views/table/TablePrintLayout.h"
#include "views/PageInterface.h"

class CGridCtrl;
class CGridCellDetailGripper;
class CPaperDoc;
class QPrinter;

class CTabGrid : public QWidget, public IPage, public IDocumentView, public ISeriesCellHost {
    Q_OBJECT
public:
    explicit CTabGrid(CPaperDoc* doc, QWidget* parent = nullptr);
    ~CTabGrid() override;

    // IPage.
    void RunCommand(Command command) override;
    bool IsCommandEnabled(Command command) override;
    void Refill(int seriesIndex) override;
    std::u16string GetCopyText() override;
    bool PrintPage(QPrinter& printer, bool selectionOnly) override;

    // IDocumentView: queues a refill.
    void OnDocumentChanged(int seriesIndex) override;

    // ISeriesCellHost.
    void OnGraphAreaClicked(int series, int areaId, const QRect& area) override;
    void OnTargetHeightChanged(int series) override;
    QWidget* CellWidget() override;

    CGridCtrl* Grid() const { return m_grid; }
    CPaperDoc* Document() const { return m_doc; }

    // Rows of a series and the series of a row (-1 for the header).
    static int ValueRow(int series) { return 2 * series + 1; }
    static int DetailRow(int series) { return 2 * series + 2; }
    static int SeriesOfRow(int row) { return row >= 1 ? (row - 1) / 2 : -1; }
    static bool IsDetailRow(int row) { return row >= 2 && row % 2 == 0; }

    // The sort codes of a header column: first and second of the pair;
    // false for a column without sorting.
    static bool SortCodes(int column, uint8_t& first, uint8_t& second);
    // The column and direction of the header mark for a sort mode; false
    // for no mark.
    static bool SortMark(uint8_t mode, int& column, bool& ascending);

    // A header click: toggles the column's sort code pair, sorts, refills.
    void OnHeaderClicked(int column);
    // Expands or collapses every detail row without drawing the table in
    // between; the row at the top of the view stays there.
    void ExpandAll(bool expand);
    // ExpandAll queued, as the context menu runs it.
    void PostExpandAll(bool expand);
    // A click on the gripper of a series: the expand sign or the tick box.
    void ToggleExpanded(int series, bool animate = true);
    void ToggleInSummary(int series);

    // One flag per series: set when any cell of its value or detail row is
    // selected.
    std::vector<uint8_t> SelectedSeries() const;
    int GetSelectedCount() const;
    QString GetStatusText() const;

    // Commands.
    bool CopySelection();
    void CutSelection();
    void PasteSeries();
    // Deletes the selected series; `ask`: after the question.
    void DeleteSelection(bool ask);
    void SelectAllCells();
    void CopySelectionAsPicture();
    // Prints the table with the page frame (CTablePrintLayout from the
    // document, with the columns as the page shows them); false when the
    // job could not be started or a page failed.  The width the fill gave
    // the mean column to fill the window is not printed (only what the
    // series graphs need of it).
    bool PrintTable(QPrinter& printer, bool selectionOnly);
    // The column widths the printout uses.
    std::vector<int> PrintedColumnWidths() const;
    // Print without a printer: offers the PDF file brelmora --print-pdf
    // writes instead.
    void OfferPdf();
    // One flag per series: printed by "Selection".
    std::vector<uint8_t> PrintedSeries() const;
    // The printout's options: the page's font and printed widths, the
    // selected series when `selectionOnly`.
    CTablePrintLayout::SOptions PrintOptions(bool selectionOnly) const;

    // Right click on a body cell (selects its value row first when needed).
    void OnRightClick(int row, int col, const QPoint& globalPos);
    // Edits the time stamps or a limit of the selected series through their
    // dialogs, preset from the series `from`.
    void AdjustTimeOfSelection(int from);
    void EditLimitOfSelection(bool lower, int from, const QRect& near = QRect());

    // Runs a refill that is waiting in the queue.
    void FlushPendingRefill();
    // The "do not show again" flag of the not-added dialog.
    bool IsNotAddedSuppressed() const { return m_notAddedSuppressed; }
    // Saved column widths (empty when forgotten).
    const std::vector<int>& GetSavedWidths() const { return m_savedWidths; }

signals:
    void statusText(const QString& text);
    // "Updating: n" while the table fills, "Expanding: n" while rows
    // expand: the loop holds the event loop, so the receiver paints it at
    // once.
    void progressText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FillAll();
    void FillSeries(int series);
    void PrepareRow(int row);
    void CreateSeriesRows(int series, int lastCol, int graphWidth);
    void WriteHeader();
    void UpdateStatus();
    void OnSelectionChanged();
    void OnCellClicked(int row, int col, int clickType, const QPoint& local);
    void OnCellEdited(int row, int col, const QString& text);
    void ShowContextMenu(const QPoint& globalPos, bool onCell);
    void RefillAndScroll(int topRow);
    void PostCommand(Command command);
    void OnAnimationTick();
    void StartAnimation(int series);
    void SyncSummaryTicks();
    void NotifyOthers(int seriesIndex);
    int GraphWidth() const;
    void FitMeanColumn();
    void RebindSeriesRows(int s, int graphWidth);
    void RemeasureExpanded();
    // Opens (measured at `graphWidth`) or closes a detail row at once.
    void ShowDetailNow(int series, CGridCellSeries& cell, bool expanded, int graphWidth);
    CGridCellSeries* SeriesCell(int series) const;
    CGridCellDetailGripper* Gripper(int series) const;
    void SelectValueRow(int series);

    CPaperDoc* m_doc;
    CGridCtrl* m_grid;
    std::vector<int> m_savedWidths;
    std::vector<uint32_t> m_lastSelection;   // per row, to see which row of a pair changed
    bool m_forgetWidths = true;
    bool m_sizedHidden = false;              // columns sized before the page had its size
    bool m_notAddedSuppressed = false;
    bool m_refillPending = false;            // a queued refill is on its way
    bool m_pendingAll = false;               // it refills every row
    std::set<int> m_pendingSeries;           // else these series
    int m_meanFill = 0;                      // width the fill added to the mean column
    int m_meanFilledWidth = -1;              // the mean column's width after that fill
    int m_lastCount = -1;
    uint8_t m_lastSortMode = 0;
    uint32_t m_dtFormat = 0;
    bool m_energy = false;
    QTimer m_animation;
    std::set<int> m_animating;
};
