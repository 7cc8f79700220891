// SPDX-License-Identifier: GPL-3.0-or-later
// CTabSummary: the "Summary" page.  It hosts the summary view, builds the
// summary on every refill (telling the other views when the build unticked
// series of the other kind), and carries out the page commands: copy as
// text, copy as picture, print.  Clicks on the view's links cycle the
// diagram's order and edit the summary comment; its context menu removes
// one series, all series or adds all series to the summary.
#pragma once

#include <QWidget>

#include "data/DocumentInterfaces.h"
#include "views/PageInterface.h"

class CPaperDoc;
class CSummaryView;

class CTabSummary : public QWidget, public IPage, public IDocumentView {
    Q_OBJECT
public:
    explicit CTabSummary(CPaperDoc* doc, QWidget* parent = nullptr);
    ~CTabSummary() override;

    void RunCommand(Command command) override;
    bool IsCommandEnabled(Command command) override;
    void Refill(int seriesIndex) override;
    std::u16string GetCopyText() override;
    bool PrintPage(QPrinter& printer, bool selectionOnly) override;
    void OnDocumentChanged(int seriesIndex) override;

    CSummaryView* View() const { return m_view; }
    CPaperDoc* Document() const { return m_doc; }

    // The view's link commands: the next order of the diagram, the comment
    // dialog.
    void CycleOrder();
    void EditComment();
    // The context menu's commands; `entry` is a summary entry.
    void RemoveEntry(int entry);
    void SetAllInSummary(bool value);
    // Copy as picture: SVG and PNG of the whole layout on the clipboard.
    void CopyAsPicture();
    // Runs a refill that is waiting.
    void FlushPendingRefill();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnLinkClicked(int areaId);
    void ShowContextMenu(const QPoint& globalPos, int entry);

    CPaperDoc* m_doc;
    CSummaryView* m_view;
    bool m_refillPending = false;
    bool m_stale = false;   // changed while hidden: rebuilt when shown
};
