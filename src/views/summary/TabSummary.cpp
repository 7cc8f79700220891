// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/TabSummary.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QVBoxLayout>

#include <vector>

#include "data/PaperDoc.h"
#include "data/SummaryStrings.h"
#include "views/dialogs/CommentDlg.h"
#include "views/print/PageFrame.h"
#include "views/print/PrintJob.h"
#include "views/summary/SummaryPrinter.h"
#include "views/summary/SummaryBridge.h"
#include "views/summary/SummaryLayout.h"
#include "views/summary/SummaryPicture.h"
#include "views/summary/SummaryView.h"
#include "views/SystemClipboard.h"
#include "views/ViewSettings.h"
#include "views/ViewText.h"

CTabSummary::CTabSummary(CPaperDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    m_view = new CSummaryView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_view, &CSummaryView::linkClicked, this, [this](int id, const QRect&) { OnLinkClicked(id); });
    connect(m_view, &CSummaryView::contextMenuRequested, this, &CTabSummary::ShowContextMenu);
    if (m_doc != nullptr)
        m_doc->RegisterView(this);
    Refill(-1);
}

CTabSummary::~CTabSummary()
{
    if (m_doc != nullptr)
        m_doc->UnregisterView(this);
}

void CTabSummary::OnDocumentChanged(int)
{
    // Building the summary walks every series: a hidden page waits until
    // it is shown.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    if (m_refillPending)
        return;
    m_refillPending = true;
    QMetaObject::invokeMethod(this, [this] { FlushPendingRefill(); }, Qt::QueuedConnection);
}

void CTabSummary::FlushPendingRefill()
{
    if (m_refillPending || m_stale)
        Refill(-1);
}

void CTabSummary::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        Refill(-1);
}

void CTabSummary::changeEvent(QEvent* event)
{
    // Every text of the drawing comes from the string table.
    if (event->type() == QEvent::LanguageChange)
        OnDocumentChanged(-1);
    QWidget::changeEvent(event);
}

void CTabSummary::Refill(int)
{
    m_refillPending = false;
    m_stale = false;
    if (m_doc == nullptr)
        return;
    const int count = m_doc->GetCount();
    std::vector<bool> before(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        before[static_cast<size_t>(i)] = m_doc->GetInSummary(i);
    SummaryBridge::Build(*m_doc);
    m_view->SetData(MakeSummaryViewData(*m_doc, ViewSettings::DtFormat()));
    // The build unticks series of the other kind: the table shows it.
    for (int i = 0; i < count; ++i) {
        if (m_doc->GetInSummary(i) != before[static_cast<size_t>(i)]) {
            m_doc->NotifyViews(this, -1);
            break;
        }
    }
}

std::u16string CTabSummary::GetCopyText()
{
    if (m_doc == nullptr || !m_doc->HasSeries())
        return std::u16string();
    return SummaryBridge::PageText(*m_doc);
}

void CTabSummary::RunCommand(Command command)
{
    FlushPendingRefill();
    switch (command) {
    case cmdCopy: {
        // An empty summary copies nothing: the clipboard keeps what it holds.
        const std::u16string text = GetCopyText();
        if (text.empty())
            return;
        CSystemClipboard::Clear();
        CSystemClipboard::AddText(ViewText::Q(text));
        break;
    }
    case cmdCopyPicture: CopyAsPicture(); break;
    case cmdPrint: {
        if (m_view->Data().IsEmpty())
            return;
        if (!PrintJob::HasPrinter()) {
            // The PDF brelmora --print-pdf --summary writes.
            const SSummaryViewData& data = m_view->Data();
            const QFont font = QApplication::font();
            CPaperDoc& doc = *m_doc;
            PrintJob::OfferPdf(this, doc.GetUi(), doc.GetPath(), [&data, &doc, font](QPrinter& printer) {
                return SummaryPrinter::Print(printer, data, 0, font, PageFrame::MakePrintInfo(doc));
            });
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        bool selectionOnly = false;
        if (PrintJob::AskPrinter(printer, this, false, selectionOnly))
            PrintPage(printer, false);
        break;
    }
    default: break;
    }
}

bool CTabSummary::IsCommandEnabled(Command command)
{
    switch (command) {
    case cmdCopy:
    case cmdCopyPicture:
    case cmdPrint: return m_doc != nullptr && !m_view->Data().IsEmpty();
    default: return false;
    }
}

bool CTabSummary::PrintPage(QPrinter& printer, bool)
{
    if (m_doc == nullptr)
        return false;
    FlushPendingRefill();
    return SummaryPrinter::Print(printer, m_view->Data(), m_view->ClientWidth(), m_view->font(),
                                 PageFrame::MakePrintInfo(*m_doc));
}

void CTabSummary::CopyAsPicture()
{
    const SSummaryViewData& data = m_view->Data();
    if (data.IsEmpty())
        return;
    const QByteArray svg = SummaryPicture::Svg(data, m_view->ClientWidth(), m_view->font());
    const QImage image = SummaryPicture::Image(data, m_view->ClientWidth(), m_view->font());
    if (svg.isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), svg);
    // A layout too tall for an image in memory still goes as SVG.
    if (!image.isNull())
        mime->setImageData(image);
    CSystemClipboard::Put(mime, true);
}

void CTabSummary::OnLinkClicked(int areaId)
{
    // Carried out after the click has been handled: a dialog or a refill
    // must not run inside the view's mouse handling.
    QMetaObject::invokeMethod(
        this,
        [this, areaId] {
            if (areaId == CSummaryDrawing::areaOrder)
                CycleOrder();
            else if (areaId == CSummaryDrawing::areaComment)
                EditComment();
        },
        Qt::QueuedConnection);
}

void CTabSummary::CycleOrder()
{
    if (m_doc == nullptr || m_view->Data().IsEmpty())
        return;
    m_doc->SetSummaryDisplaySetting(static_cast<int16_t>(SummaryLayout::NextOrder(m_view->Data().Order())));
    Refill(-1);
}

void CTabSummary::EditComment()
{
    if (m_doc == nullptr)
        return;
    CCommentDlg dialog(this);
    dialog.SetText(m_doc->GetSummaryComment());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_doc->SetSummaryComment(dialog.GetText());
    Refill(-1);
}

void CTabSummary::RemoveEntry(int entry)
{
    if (m_doc == nullptr)
        return;
    const std::vector<SSummaryEntry>& entries = m_view->Data().entries;
    if (entry < 0 || entry >= static_cast<int>(entries.size()))
        return;
    const int series = entries[static_cast<size_t>(entry)].seriesIndex;
    if (series < 0 || series >= m_doc->GetCount())
        return;
    // The document tells every view (the table's tick box, this page).
    m_doc->SetInSummary(series, false);
    Refill(-1);
}

void CTabSummary::SetAllInSummary(bool value)
{
    if (m_doc == nullptr)
        return;
    m_doc->SetAllInSummary(value);
    Refill(-1);
}

void CTabSummary::ShowContextMenu(const QPoint& globalPos, int entry)
{
    if (m_doc == nullptr)
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("summaryContextMenu"));
    const std::vector<SSummaryEntry>& entries = m_view->Data().entries;
    if (entry >= 0 && entry < static_cast<int>(entries.size())) {
        const QString label = entries[static_cast<size_t>(entry)].Label();
        menu.addAction(ViewText::LoadFormat(SummaryStrings::kRemoveSeries, label.toUtf8().constData()), this,
                       [this, entry] { RemoveEntry(entry); });
    }
    menu.addAction(ViewText::Load(SummaryStrings::kRemoveAllSeries), this, [this] { SetAllInSummary(false); });
    menu.addAction(ViewText::Load(SummaryStrings::kAddAllSeries), this, [this] { SetAllInSummary(true); });
    menu.exec(globalPos);
}
