#include "views/summary/TabSummary.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <vector>

#include "data/PaperDoc.h"
#include "views/summary/SummaryBridge.h"
#include "views/SystemClipboard.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

CTabSummary::CTabSummary(CPaperDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setTabStopDistance(8 * m_text->fontMetrics().horizontalAdvance(QChar('x')) * 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
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
    QMetaObject::invokeMethod(this, [this] { Refill(-1); }, Qt::QueuedConnection);
}

void CTabSummary::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        Refill(-1);
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
    const std::u16string text = GetCopyText();
    m_text->setPlainText(text.empty() ? ViewText::Load(ViewStrings::kSummaryEmpty) : ViewText::Q(text));
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
    if (command == cmdCopy) {
        CSystemClipboard::Clear();
        CSystemClipboard::AddText(ViewText::Q(GetCopyText()));
    }
}

bool CTabSummary::IsCommandEnabled(Command command)
{
    return command == cmdCopy && m_doc != nullptr && m_doc->HasSeries();
}
