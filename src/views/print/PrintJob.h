// The print job around a page's printing: the job's document name, the
// print dialog (no page range, no print-to-file, "Selection" only when
// there is one) and the print preview.
#pragma once

#include <QString>

#include <functional>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace PrintJob {

// "Brelmora"; when that text is empty, the title of the first window from
// `parent` upwards that has one.
QString DocumentName(const QWidget* parent);

// Prepares the dialog: no page range (its fields are hidden), no
// print-to-file choice, the selection choice only when `selectionAvailable`.
void ConfigureDialog(QPrintDialog& dialog, bool selectionAvailable);

// Shows the print dialog for `printer`; false when it was cancelled.
// `selectionOnly` receives the choice "Selection".
bool AskPrinter(QPrinter& printer, QWidget* parent, bool selectionAvailable, bool& selectionOnly);

// Shows the print preview of what `print` draws (all rows, no selection).
void ShowPreview(QWidget* parent, const std::function<void(QPrinter&)>& print);

} // namespace PrintJob
