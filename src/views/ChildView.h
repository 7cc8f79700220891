// SPDX-License-Identifier: GPL-3.0-or-later
// CChildView: the main frame's client area.  It hosts the tab sheet with the
// series table ("Series") and the summary ("Summary"), relays the frame's
// page commands to the active page and runs the text export.
#pragma once

#include <QWidget>

class CPaperDoc;
class IPage;
class CTabSheet;

class CChildView : public QWidget {
    Q_OBJECT
public:
    CChildView(CPaperDoc* doc, QWidget* parent = nullptr);
    ~CChildView() override;

    // The page that is shown (series table or summary).
    IPage* ActivePage();

    // The frame's page commands (Edit menu, print, copy as picture).
    void RunPageCommand(int command);
    bool IsPageCommandEnabled(int command);

    // File menu "&Export": asks for a file and writes the active page's text,
    // or with the "Spreadsheet CSV" filter the CSV of every series.
    void ExportText();
    // File menu "Print preview": the active page as it prints (all rows).
    void PrintPreview();

    // The language changed: tab captions and every text of the pages are
    // loaded again (also done on QEvent::LanguageChange).
    void OnLanguageChanged();

protected:
    void changeEvent(QEvent* event) override;

signals:
    // A status-bar text (selection counts, fill progress).
    void statusText(const QString& text);
    // The series table's progress (CTabGrid::progressText).
    void progressText(const QString& text);

private:
    CPaperDoc* m_doc;
    CTabSheet* m_tabs = nullptr;
};
