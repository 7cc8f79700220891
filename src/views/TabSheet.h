// SPDX-License-Identifier: GPL-3.0-or-later
// CTabSheet: the two pages "Series" and "Summary".  The frame's page
// commands go to the page that is shown.
#pragma once

#include <QTabWidget>

class CPaperDoc;
class CTabGrid;
class CTabSummary;
class IPage;

class CTabSheet : public QTabWidget {
    Q_OBJECT
public:
    explicit CTabSheet(CPaperDoc* doc, QWidget* parent = nullptr);

    IPage* ActivePage() const;
    CTabGrid* SeriesPage() const { return m_grid; }
    CTabSummary* SummaryPage() const { return m_summary; }

    // Sets the tab captions from the string table (again).
    void UpdateCaptions();

protected:
    void changeEvent(QEvent* event) override;

private:
    CTabGrid* m_grid;
    CTabSummary* m_summary;
};
