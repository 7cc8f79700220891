// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowlessOutput.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/AppSafetyStrings.h"
#include "app/AppStrings.h"
#include "app/CommandLine.h"
#include "data/AtomicFile.h"
#include "data/DocumentInterfaces.h"
#include "data/OutputTarget.h"
#include "data/PaperDoc.h"
#include "platform/FileMessage.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "views/print/PageFrame.h"
#include "views/print/PrintJob.h"
#include "views/summary/SummaryPrinter.h"
#include "views/summary/SummaryPicture.h"
#include "views/summary/SummaryViewData.h"
#include "views/table/TablePrintLayout.h"
#include "views/ViewSettings.h"

namespace WindowlessOutput {

namespace {

// The document's front end on standard error: no questions are asked
// ("No"), no dialogs shown, every message printed naming the file.
class CErrorOutputUi : public IDocumentUi {
public:
    explicit CErrorOutputUi(std::string file) : m_file(std::move(file)) {}
    Answer AskYesNoCancel(const std::u16string&) override { return answerNo; }
    void ShowMessage(int, const std::u16string& text) override
    {
        std::fprintf(stderr, "%s\n", Platform::FileMessageLine(m_file, text).c_str());
    }
    bool AskOpenPath(const SFileDialogRequest&, std::u16string&) override { return false; }
    bool AskSavePath(const SFileDialogRequest&, std::u16string&) override { return false; }

private:
    std::string m_file;
};

void PrintFileError(const std::u16string& file, const std::u16string& text)
{
    std::fprintf(stderr, "%s: %s\n", Platform::ToUtf8(file).c_str(), Platform::ToUtf8(text).c_str());
}

} // namespace

int CannotWrite(const std::u16string& file, const std::string& cause)
{
    PrintFileError(file, Platform::FormatU(Platform::LoadString(AppStrings::kCannotWrite).c_str(), cause.c_str()));
    return exitCannotWrite;
}

int WriteTarget(const std::u16string& path, const QByteArray& bytes)
{
    try {
        AtomicFile::WriteBytes(path, reinterpret_cast<const uint8_t*>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    } catch (const Platform::CFileException& e) {
        return CannotWrite(path, Platform::DescribeError(e.GetOsError()));
    }
    return exitOk;
}

int PrintPdf(const std::u16string& target, const QString& docName, const std::function<bool(QPrinter&)>& print)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return CannotWrite(target, folder.errorString().toStdString());
    const QString scratch = folder.filePath(QStringLiteral("print.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scratch);
        printer.setDocName(docName);
        if (!print(printer))
            return CannotWrite(target, Platform::ToUtf8(Platform::LoadString(AppStrings::kPrintoutFailed)));
    }
    QFile file(scratch);
    if (!file.open(QIODevice::ReadOnly))
        return CannotWrite(target, file.errorString().toStdString());
    return WriteTarget(target, file.readAll());
}

void PrintError(const std::u16string& text)
{
    std::fprintf(stderr, "brelmora: %s\n", Platform::ToUtf8(text).c_str());
}

int PrintResult(const std::u16string& text)
{
    // A reader that went away is a write error here, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string line = Platform::ToUtf8(text) + "\n";
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
    const bool flushed = std::fflush(stdout) == 0;
    if (written && flushed && !std::ferror(stdout))
        return exitOk;
    const uint32_t error = errno != 0 ? Platform::ErrorFromErrno(errno) : Platform::ERROR_WRITE_FAULT;
    PrintError(Platform::FormatU(Platform::LoadString(AppSafetyStrings::kStdoutFailed).c_str(),
                                 Platform::DescribeError(error)));
    return exitCannotWrite;
}

int Run(const SCommandLine& commandLine)
{
    StreamIO::Initialize();
    struct SStreams {
        ~SStreams() { StreamIO::Shutdown(); }
    } streams;

    // Writing the output over the project would destroy it.
    std::error_code error;
    if (std::filesystem::equivalent(std::filesystem::path(Platform::ToUtf8(commandLine.projectPath)),
                                    std::filesystem::path(Platform::ToUtf8(commandLine.outputPath)), error)) {
        PrintError(Platform::FormatU(Platform::LoadString(AppStrings::kOutputIsProject).c_str(),
                                     Platform::ToUtf8(commandLine.outputPath).c_str()));
        return exitUsage;
    }

    // The target is checked before the project is read and rendered, which
    // can take long for a large project: what cannot be written fails now.
    const std::string target = Platform::ToUtf8(commandLine.outputPath);
    if (OutputTarget::IsSettingsFile(target)) {
        PrintFileError(commandLine.outputPath, Platform::LoadString(AppSafetyStrings::kOutputIsSettings));
        return exitUsage;
    }
    if (const uint32_t targetError = OutputTarget::Check(target))
        return CannotWrite(commandLine.outputPath, Platform::DescribeError(targetError));

    CPaperDoc doc;
    CErrorOutputUi ui(Platform::ToUtf8(commandLine.projectPath));
    doc.SetUi(&ui);
    doc.SetEnergyMode(commandLine.energy);
    if (!doc.OpenProject(commandLine.projectPath))
        return exitNotAProject;

    const bool summary = commandLine.summary || commandLine.output == SCommandLine::outputPicture;
    if (!summary) {
        if (!doc.HasSeries()) {
            PrintFileError(commandLine.projectPath, Platform::LoadString(AppStrings::kNoSeriesToPrint));
            return exitNothingToPrint;
        }
        // The table's printout from the document: no widget is built.
        CTablePrintLayout::SOptions options;
        options.font = QApplication::font();
        CTablePrintLayout table(doc, std::move(options));
        const SPrintInfo info = PageFrame::MakePrintInfo(doc);
        return PrintPdf(commandLine.outputPath, PrintJob::DocumentName(nullptr),
                        [&](QPrinter& printer) { return table.Print(printer, info); });
    }

    // The summary as the page shows it; without a window the layout is the
    // one of a narrow client (800 pixels wide).
    doc.BuildSummary();
    const SSummaryViewData data = MakeSummaryViewData(doc, ViewSettings::DtFormat());
    if (data.IsEmpty()) {
        PrintFileError(commandLine.projectPath, Platform::LoadString(AppStrings::kEmptySummary));
        return exitNothingToPrint;
    }
    const QFont font = QApplication::font();
    if (commandLine.output == SCommandLine::outputPdf) {
        const SPrintInfo info = PageFrame::MakePrintInfo(doc);
        return PrintPdf(commandLine.outputPath, PrintJob::DocumentName(nullptr),
                        [&](QPrinter& printer) { return SummaryPrinter::Print(printer, data, 0, font, info); });
    }
    const bool svg = Platform::EqualsNoCase(
        std::u16string_view(commandLine.outputPath).substr(commandLine.outputPath.size() - 4), u".svg");
    const QByteArray picture = svg ? SummaryPicture::Svg(data, 0, font) : SummaryPicture::Png(data, 0, font);
    // An image too large for the memory cannot be made: say so, write nothing.
    if (picture.isEmpty())
        return CannotWrite(commandLine.outputPath, Platform::ToUtf8(Platform::LoadString(AppStrings::kPictureFailed)));
    return WriteTarget(commandLine.outputPath, picture);
}

} // namespace WindowlessOutput
