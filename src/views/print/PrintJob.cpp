// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/print/PrintJob.h"

#include <QEvent>
#include <QFile>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <string_view>

#include "controls/MessageBox.h"
#include "data/AtomicFile.h"
#include "data/DocumentInterfaces.h"
#include "platform/FileException.h"
#include "platform/ErrorCodes.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/print/PrintStrings.h"
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

QSize PreviewSize(const QSize& window)
{
    return QSize(std::max(window.width() * 9 / 10, 640), std::max(window.height() * 9 / 10, 480));
}

void ShowPreview(QWidget* parent, const std::function<void(QPrinter&)>& print)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(DocumentName(parent));
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&print](QPrinter* target) { print(*target); });
    if (const QWidget* window = parent != nullptr ? parent->window() : nullptr)
        dialog.resize(PreviewSize(window->size()));
    // The page as wide as the preview; the widget keeps the mode through
    // its first layout, which would otherwise pick its own zoom.
    if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
        preview->setZoomMode(QPrintPreviewWidget::FitToWidth);
    dialog.exec();
}

namespace {

std::function<bool()>& PrinterCheck()
{
    static std::function<bool()> check;
    return check;
}

} // namespace

bool HasPrinter()
{
    if (PrinterCheck())
        return PrinterCheck()();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void SetPrinterCheck(std::function<bool()> check)
{
    PrinterCheck() = std::move(check);
}

std::u16string WritePdf(const std::u16string& path, const PrintFn& print)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return ViewText::U(folder.errorString());
    const QString scratch = folder.filePath(QStringLiteral("print.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scratch);
        printer.setDocName(DocumentName(nullptr));
        if (!print(printer))
            return Platform::LoadString(PrintStrings::kPrintoutFailed);
    }
    QFile file(scratch);
    if (!file.open(QIODevice::ReadOnly))
        return ViewText::U(file.errorString());
    const QByteArray bytes = file.readAll();
    try {
        AtomicFile::WriteBytes(path, reinterpret_cast<const uint8_t*>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    } catch (const Platform::CFileException& e) {
        return Platform::FromUtf8(Platform::DescribeError(e.GetOsError()));
    }
    return std::u16string();
}

void OfferPdf(QWidget* parent, IDocumentUi* ui, const std::u16string& projectPath, const PrintFn& print)
{
    if (Gui::Ask(IPrompt::questionYesNo, Platform::LoadString(PrintStrings::kNoPrinterOfferPdf), parent) !=
        Gui::answerYes)
        return;
    if (ui == nullptr)
        return;
    SFileDialogRequest request;
    request.filter = Platform::LoadString(PrintStrings::kPdfFilter);
    request.defaultExtension = u"pdf";
    request.initialName = u"*.pdf";
    request.overwritePrompt = true;
    request.projectPath = projectPath;
    std::u16string path;
    if (!ui->AskSavePath(request, path) || path.empty())
        return;
    const std::u16string failure = WritePdf(path, print);
    if (failure.empty())
        return;
    const std::string file = Platform::ToUtf8(path);
    const std::string cause = Platform::ToUtf8(failure);
    Gui::ShowMessage(Gui::messageError,
                     Platform::FormatU(Platform::LoadString(PrintStrings::kPdfNotWritten).c_str(), file.c_str(),
                                       cause.c_str()),
                     parent);
}

} // namespace PrintJob
