// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/TabSheet.h"

#include <QEvent>

#include "views/table/TabGrid.h"
#include "views/summary/TabSummary.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

CTabSheet::CTabSheet(CPaperDoc* doc, QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("tabSheet"));
    m_grid = new CTabGrid(doc, this);
    m_summary = new CTabSummary(doc, this);
    addTab(m_grid, QString());
    addTab(m_summary, QString());
    UpdateCaptions();
}

IPage* CTabSheet::ActivePage() const
{
    if (currentWidget() == m_summary)
        return m_summary;
    return m_grid;
}

void CTabSheet::UpdateCaptions()
{
    setTabText(0, ViewText::Load(ViewStrings::kTabSeries));
    setTabText(1, ViewText::Load(ViewStrings::kTabSummary));
}

void CTabSheet::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        UpdateCaptions();
    QTabWidget::changeEvent(event);
}
