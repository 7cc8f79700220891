// SPDX-License-Identifier: GPL-3.0-or-later
// The print job around a page's printing: the job's document name, the
// print dialog (no page range, no print-to-file, "Selection" only when
// there is one), the print preview, and the PDF file offered when no
// printer is installed.
#pragma once

#include <QSize>
#include <QString>

#include <functional>
#include <string>

class QPrintDialog;
class QPrinter;
class QWidget;
class IDocumentUi;

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

// Shows the print preview of what `print` draws (all rows, no selection),
// at most of the size of `parent`'s window with the page fitted to the
// preview's width.
void ShowPreview(QWidget* parent, const std::function<void(QPrinter&)>& print);
// The size the preview opens at for a main window of `window`: nine tenths
// of it each way, never below 640 x 480.
QSize PreviewSize(const QSize& window);

// True when at least one printer is installed.  Tests replace the check
// (null restores the system's).
bool HasPrinter();
void SetPrinterCheck(std::function<bool()> check);

// Draws every page into a printer; false when a page failed.
using PrintFn = std::function<bool(QPrinter&)>;

// Without a printer: says so and offers to write the printout to a PDF
// file; on Yes asks for the file through `ui` (opening in the project's
// folder) and writes it whole.  A failure is reported naming the file.
void OfferPdf(QWidget* parent, IDocumentUi* ui, const std::u16string& projectPath, const PrintFn& print);

// Prints with `print` into a PDF file in a private folder and replaces
// `path` with it only when complete.  Empty on success, else the cause.
std::u16string WritePdf(const std::u16string& path, const PrintFn& print);

} // namespace PrintJob
