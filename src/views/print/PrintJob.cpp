#include "views/print/PrintJob.h"

#include <QEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include <string_view>

#include "views/ViewStrings.h"
#include "views/ViewText.h"

namespace PrintJob {

namespace {

// The page range fields of Qt's print dialog, hidden whenever the dialog's
// options tab shows them (Qt may show them again when the tab opens).
class CPageRangeHider : public QObject {
public:
    explicit CPageRangeHider(QPrintDialog& dialog) : QObject(&dialog), m_dialog(dialog)
    {
        dialog.installEventFilter(this);
        Hide();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest)
            Hide();
        return QObject::eventFilter(watched, event);
    }

private:
    void Hide()
    {
        static const char* const kNames[] = {"printRange", "from", "to", "label_3", "pagesRadioButton",
                                             "pagesLineEdit", "printCurrentPage"};
        for (const char* name : kNames) {
            for (QWidget* w : m_dialog.findChildren<QWidget*>(QString::fromLatin1(name))) {
                // "label_3" also names a label outside the range group.
                if (std::string_view(name) == "label_3" && w->parentWidget() != nullptr &&
                    w->parentWidget()->objectName() != QStringLiteral("gbPrintRange"))
                    continue;
                w->hide();
            }
        }
    }

    QPrintDialog& m_dialog;
};

} // namespace

QString DocumentName(const QWidget* parent)
{
    const QString name = ViewText::Load(ViewStrings::kAppName);
    if (!name.isEmpty())
        return name;
    for (const QWidget* w = parent; w != nullptr; w = w->parentWidget()) {
        if (!w->windowTitle().isEmpty())
            return w->windowTitle();
    }
    return QString();
}

void ConfigureDialog(QPrintDialog& dialog, bool selectionAvailable)
{
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionAvailable);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    new CPageRangeHider(dialog);
}

bool AskPrinter(QPrinter& printer, QWidget* parent, bool selectionAvailable, bool& selectionOnly)
{
    printer.setDocName(DocumentName(parent));
    QPrintDialog dialog(&printer, parent);
    ConfigureDialog(dialog, selectionAvailable);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    selectionOnly = selectionAvailable && dialog.printRange() == QAbstractPrintDialog::Selection;
    // The page range is never used: every page prints.
    printer.setPrintRange(selectionOnly ? QPrinter::Selection : QPrinter::AllPages);
    printer.setFromTo(0, 0);
    return true;
}

void ShowPreview(QWidget* parent, const std::function<void(QPrinter&)>& print)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(DocumentName(parent));
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&print](QPrinter* target) { print(*target); });
    dialog.exec();
}

} // namespace PrintJob
