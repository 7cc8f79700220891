// CTabSummary: the "Summary" page.  Until the summary's drawing arrives it
// shows the summary's copy text; it builds the summary on every refill and
// tells the other views when the build unticked series of the other kind.
#pragma once

#include <QWidget>

#include "data/DocumentInterfaces.h"
#include "views/PageInterface.h"

class CPaperDoc;
class QPlainTextEdit;

class CTabSummary : public QWidget, public IPage, public IDocumentView {
    Q_OBJECT
public:
    explicit CTabSummary(CPaperDoc* doc, QWidget* parent = nullptr);
    ~CTabSummary() override;

    void RunCommand(Command command) override;
    bool IsCommandEnabled(Command command) override;
    void Refill(int seriesIndex) override;
    std::u16string GetCopyText() override;
    void OnDocumentChanged(int seriesIndex) override;

    QPlainTextEdit* TextView() const { return m_text; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    CPaperDoc* m_doc;
    QPlainTextEdit* m_text;
    bool m_refillPending = false;
    bool m_stale = false;   // changed while hidden: rebuilt when shown
};
