// SPDX-License-Identifier: GPL-3.0-or-later
// Print on a machine without printers: the pages say so and offer the PDF
// file brelmora --print-pdf writes, asked for through the document's file
// dialog; a file that cannot be written is reported naming it.  And the
// print preview's opening size and zoom.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>

#include <filesystem>
#include <string>

#include "PdfText.h"
#include "ViewTestSupport.h"
#include "data/DocumentInterfaces.h"
#include "data/PaperDoc.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "views/print/PrintJob.h"
#include "views/print/PrintStrings.h"
#include "views/summary/TabSummary.h"
#include "views/table/TabGrid.h"

namespace {

const std::string kSample = std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";

// The document's front end: the save dialog answers with `path`.
class CSaveUi : public IDocumentUi {
public:
    void ShowMessage(int, const std::u16string&) override {}
    Answer AskYesNoCancel(const std::u16string&) override { return answerNo; }
    bool AskOpenPath(const SFileDialogRequest&, std::u16string&) override { return false; }
    bool AskSavePath(const SFileDialogRequest& request, std::u16string& chosen) override
    {
        ++asked;
        filter = request.filter;
        chosen = Platform::FromUtf8(path);
        return !path.empty();
    }
    std::string path;
    std::u16string filter;
    int asked = 0;
};

// Page texts with the time of the print taken out.
QStringList Texts(const std::string& pdf)
{
    QStringList pages = PdfText::Pages(pdf);
    for (QString& page : pages)
        page.remove(QRegularExpression(QStringLiteral("\\d\\d/\\d\\d/\\d{4} \\d{1,2}:\\d\\d [AP]M\\s*$")));
    return pages;
}

class PrintWithoutPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        if (!PdfText::Available())
            GTEST_SKIP() << "pdftotext is missing";
        PrintJob::SetPrinterCheck([] { return false; });
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(kSample)));
        doc.SetUi(&ui);
    }
    void TearDown() override { PrintJob::SetPrinterCheck(nullptr); }

    // What brelmora --print-pdf writes for the sample.
    static std::string ProgramPdf(const std::string& name, bool summary)
    {
        const std::string pdf = TestEnv::TempDir() + "/" + name;
        QStringList args{QStringLiteral("--print-pdf"), QString::fromStdString(pdf)};
        if (summary)
            args << QStringLiteral("--summary");
        args << QString::fromStdString(kSample);
        QProcess process;
        process.start(QString::fromUtf8(BRELMORA_BINARY_DIR) + QStringLiteral("/bin/brelmora"), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return pdf;
    }

    CPaperDoc doc;
    CSaveUi ui;
};

TEST_F(PrintWithoutPrinter, BothPagesOfferThePdfThePrintPdfOptionWrites)
{
    CTabGrid table(&doc);
    ui.path = TestEnv::TempDir() + "/offered table.pdf";
    std::u16string question;
    ViewTest::AnswerMessageBox(QMessageBox::Yes, &question);
    table.RunCommand(IPage::cmdPrint);
    EXPECT_EQ(question, Platform::LoadString(PrintStrings::kNoPrinterOfferPdf));
    EXPECT_EQ(ui.asked, 1);
    EXPECT_EQ(ui.filter, Platform::LoadString(PrintStrings::kPdfFilter));
    ASSERT_TRUE(std::filesystem::is_regular_file(ui.path));
    EXPECT_EQ(Texts(ui.path), Texts(ProgramPdf("program table.pdf", false)));

    doc.SetAllInSummary(true);
    doc.BuildSummary();
    CTabSummary summary(&doc);
    summary.resize(1400, 900);
    summary.Refill(-1);
    ui.path = TestEnv::TempDir() + "/offered summary.pdf";
    ViewTest::AnswerMessageBox(QMessageBox::Yes);
    summary.RunCommand(IPage::cmdPrint);
    ASSERT_TRUE(std::filesystem::is_regular_file(ui.path));
    EXPECT_EQ(Texts(ui.path), Texts(ProgramPdf("program summary.pdf", true)));
}

TEST_F(PrintWithoutPrinter, NoWritesNothingAndAFolderIsReportedByName)
{
    CTabGrid table(&doc);
    ui.path = TestEnv::TempDir() + "/never.pdf";
    ViewTest::AnswerMessageBox(QMessageBox::No);
    table.RunCommand(IPage::cmdPrint);
    EXPECT_EQ(ui.asked, 0);
    EXPECT_FALSE(std::filesystem::exists(ui.path));

    // A folder is no file to replace: the message names it, it stays a folder.
    ui.path = TestEnv::TempDir() + "/a folder.pdf";
    std::filesystem::create_directory(ui.path);
    std::u16string message;
    ViewTest::AnswerMessageBox(QMessageBox::Yes);
    QTimer::singleShot(50, [&message] { ViewTest::AnswerMessageBox(QMessageBox::Ok, &message); });
    table.RunCommand(IPage::cmdPrint);
    EXPECT_NE(message.find(u"a folder.pdf"), std::u16string::npos) << Platform::ToUtf8(message);
    EXPECT_TRUE(std::filesystem::is_directory(ui.path));
}

TEST(PrintPreview, OpensAtMostOfTheWindowWithThePageFittedToItsWidth)
{
    ViewTest::EnsureApplication();
    EXPECT_EQ(PrintJob::PreviewSize(QSize(1400, 1000)), QSize(1260, 900));
    EXPECT_EQ(PrintJob::PreviewSize(QSize(300, 200)), QSize(640, 480));
    QMainWindow window;
    window.resize(1400, 1000);
    window.show();
    QSize size;
    int mode = -1;
    ViewTest::WhenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
        size = dialog->size();
        if (auto* preview = dialog->findChild<QPrintPreviewWidget*>())
            mode = preview->zoomMode();
        dialog->reject();
    });
    PrintJob::ShowPreview(&window, [](QPrinter&) {});
    EXPECT_EQ(size, QSize(1260, 900));
    EXPECT_EQ(mode, QPrintPreviewWidget::FitToWidth);
}

} // namespace
