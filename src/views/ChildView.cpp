// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/ChildView.h"

#include <QEvent>
#include <QVBoxLayout>

#include "data/PaperDoc.h"
#include "data/SpreadsheetExport.h"
#include "data/TextExport.h"
#include "platform/FileException.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/PageInterface.h"
#include "views/print/PrintJob.h"
#include "views/SystemClipboard.h"
#include "views/table/TabGrid.h"
#include "views/TabSheet.h"
#include "views/summary/TabSummary.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

namespace {

// What an export writes, as the chosen filter says.
enum EExportFormat : int {
    exportPageText = 1,     // the active page's text as it is
    exportSpreadsheet = 2,  // the spreadsheet CSV of every series
};

// Captions of the export dialog's filters (resources/strings/en/links.txt).
enum : uint32_t {
    kFilterText = 58200,
    kFilterCsv = 58201,
    kFilterSpreadsheet = 58202,
    kFilterAll = 58203,
};

std::vector<SFileFilter> ExportFilters()
{
    using Platform::LoadString;
    return {
        {exportPageText, LoadString(kFilterText), u"*.txt"},
        {exportPageText, LoadString(kFilterCsv), u"*.csv"},
        {exportSpreadsheet, LoadString(kFilterSpreadsheet), u"*.csv"},
        {exportPageText, LoadString(kFilterAll), u"*.*"},
    };
}

} // namespace

CChildView::CChildView(CPaperDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    // Copy and paste of series go through the system clipboard.
    CSystemClipboard::Install();
    m_tabs = new CTabSheet(doc, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    connect(m_tabs->SeriesPage(), &CTabGrid::statusText, this, &CChildView::statusText);
    connect(m_tabs->SeriesPage(), &CTabGrid::progressText, this, &CChildView::progressText);
}

CChildView::~CChildView() = default;

IPage* CChildView::ActivePage()
{
    return m_tabs != nullptr ? m_tabs->ActivePage() : nullptr;
}

void CChildView::RunPageCommand(int command)
{
    if (IPage* page = ActivePage())
        page->RunCommand(static_cast<IPage::Command>(command));
}

bool CChildView::IsPageCommandEnabled(int command)
{
    IPage* page = ActivePage();
    return page != nullptr && page->IsCommandEnabled(static_cast<IPage::Command>(command));
}

void CChildView::OnLanguageChanged()
{
    if (m_tabs == nullptr)
        return;
    m_tabs->UpdateCaptions();
    m_tabs->SeriesPage()->OnDocumentChanged(-1);
    m_tabs->SummaryPage()->OnDocumentChanged(-1);
}

void CChildView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        OnLanguageChanged();
    QWidget::changeEvent(event);
}

void CChildView::PrintPreview()
{
    IPage* page = ActivePage();
    if (page == nullptr || !page->IsCommandEnabled(IPage::cmdPrint))
        return;
    PrintJob::ShowPreview(this, [page](QPrinter& printer) { page->PrintPage(printer, false); });
}

void CChildView::ExportText()
{
    IPage* page = ActivePage();
    if (page == nullptr || m_doc == nullptr)
        return;
    const std::u16string text = page->GetCopyText();
    // The document's front end shows the dialogs; without one the dialog
    // counts as cancelled.
    IDocumentUi* ui = m_doc->GetUi();
    if (ui == nullptr)
        return;
    SFileDialogRequest request;
    request.filters = ExportFilters();
    request.defaultExtension = u"csv";
    request.initialName = u"*.csv";
    request.overwritePrompt = true;
    request.projectPath = m_doc->GetPath();
    int format = exportPageText;
    request.chosenFilterId = &format;
    std::u16string path;
    if (!ui->AskSavePath(request, path) || path.empty())
        return;
    try {
        // The spreadsheet filter writes the CSV of every series, whichever
        // page is active; the others write the page's text as it is.
        // Its number form follows the program's language, as a spreadsheet
        // with the same settings reads it.
        if (format == exportSpreadsheet) {
            SpreadsheetExport::SOptions options;
            options.locale = SpreadsheetExport::LocaleOfLanguage();
            SpreadsheetExport::WriteFile(path, m_doc->GetCurrent(), SpreadsheetExport::ERows::Series, options);
        } else {
            TextExport::WriteFile(path, text);
        }
    } catch (const Platform::CFileException& e) {
        ui->ShowMessage(IDocumentUi::messageError,
                        Platform::FormatU(Platform::LoadString(ViewStrings::kExportFailed).c_str(),
                                          Platform::ToUtf8(path).c_str(), e.what()));
    }
}
