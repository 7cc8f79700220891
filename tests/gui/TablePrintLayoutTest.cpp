// SPDX-License-Identifier: GPL-3.0-or-later
// The series table's printout made from the document (CTablePrintLayout):
// page images of the sample project compared with the images the earlier
// printout through the grid widget gave (tests/gui/print-reference, made
// with pdftoppm at 30 dpi in grey), and the series of a page kept together
// with their graphs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <string>
#include <vector>

#include "PdfText.h"
#include "ViewTestSupport.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "views/print/PageFrame.h"
#include "views/print/PrintJob.h"
#include "views/table/TabGrid.h"
#include "views/table/TablePrintLayout.h"

namespace {

const std::string kSample = std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";
const std::string kReference = std::string(BRELMORA_SOURCE_DIR) + "/tests/gui/print-reference/";

class TablePrintLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        if (!QFile::exists(QStringLiteral("/usr/bin/pdftoppm")) || !PdfText::Available())
            GTEST_SKIP() << "pdftoppm and pdftotext are missing (scripts/install-deps installs poppler-utils)";
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(kSample)));
    }

    // The frame's texts with a fixed time, so pages compare across runs.
    SPrintInfo Info() const
    {
        SPrintInfo info = PageFrame::MakePrintInfo(doc);
        info.printedAt = QStringLiteral("12/09/2026 3:00 PM");
        return info;
    }

    // Prints the document as --print-pdf does (A4 from the default
    // printer settings, high resolution) into `name`.pdf.
    std::string PrintPdf(const std::string& name, CTablePrintLayout& layout) const
    {
        const std::string pdf = TestEnv::TempDir() + "/" + name + ".pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setDocName(PrintJob::DocumentName(nullptr));
        EXPECT_TRUE(layout.Print(printer, Info()));
        return pdf;
    }

    std::string PrintFromDocument(const std::string& name)
    {
        CTablePrintLayout::SOptions options;
        options.font = QApplication::font();
        CTablePrintLayout layout(doc, options);
        return PrintPdf(name, layout);
    }

    // The pages of `pdf` as grey images at 30 dpi.
    static std::vector<QImage> PageImages(const std::string& pdf, const std::string& name)
    {
        const QString prefix = QString::fromStdString(TestEnv::TempDir() + "/" + name);
        QProcess process;
        process.start(QStringLiteral("/usr/bin/pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-gray"), QStringLiteral("-png"),
                       QString::fromStdString(pdf), prefix});
        EXPECT_TRUE(process.waitForFinished(60000));
        std::vector<QImage> pages;
        for (int k = 1;; ++k) {
            QImage image(prefix + QStringLiteral("-%1.png").arg(k));
            if (image.isNull())
                break;
            pages.push_back(image.convertToFormat(QImage::Format_Grayscale8));
        }
        return pages;
    }

    // Pixels that differ by more than a few grey levels (anti-aliasing
    // steps of the rasteriser, not a moved line or glyph).
    static int DifferentPixels(const QImage& a, const QImage& b)
    {
        if (a.size() != b.size())
            return a.width() * a.height() + 1;
        int different = 0;
        for (int y = 0; y < a.height(); ++y) {
            const uchar* p = a.constScanLine(y);
            const uchar* q = b.constScanLine(y);
            for (int x = 0; x < a.width(); ++x)
                different += std::abs(int(p[x]) - int(q[x])) > 24 ? 1 : 0;
        }
        return different;
    }

    void ExpectSameAsReference(const std::string& pdf, const std::string& name, int pageCount)
    {
        const std::vector<QImage> pages = PageImages(pdf, name);
        ASSERT_EQ(static_cast<int>(pages.size()), pageCount) << name;
        for (int k = 0; k < pageCount; ++k) {
            const QString file = QString::fromStdString(kReference + name + "-" + std::to_string(k + 1) + ".png");
            const QImage reference = QImage(file).convertToFormat(QImage::Format_Grayscale8);
            ASSERT_FALSE(reference.isNull()) << file.toStdString();
            EXPECT_EQ(DifferentPixels(pages[static_cast<size_t>(k)], reference), 0) << name << " page " << k + 1;
        }
    }

    CPaperDoc doc;
};

TEST_F(TablePrintLayout, SampleProjectPrintsAsTheGridDid)
{
    // As stored (every row closed), in the energy mode's ten columns, and
    // with three graphs open over two pages.
    ExpectSameAsReference(PrintFromDocument("sample"), "sample", 1);
    doc.SetEnergyMode(true);
    ExpectSameAsReference(PrintFromDocument("sample-energy"), "sample-energy", 1);
    doc.SetEnergyMode(false);
    for (int s : {0, 3, 9})
        doc.SetExpanded(s, true);
    ExpectSameAsReference(PrintFromDocument("sample-open"), "sample-open", 2);
}

TEST_F(TablePrintLayout, ThePagePrintsWhatTheDocumentPrints)
{
    // The page's own print (column widths as shown, never shown here)
    // gives the pages of the printout from the document alone.
    for (int s : {0, 3, 9})
        doc.SetExpanded(s, true);
    CTabGrid page(&doc);
    CTablePrintLayout layout(doc, page.PrintOptions(false));
    EXPECT_EQ(layout.ColumnWidths(), CTablePrintLayout::SizeColumns(doc, QApplication::font()));
    ExpectSameAsReference(PrintPdf("page-open", layout), "sample-open", 2);
}

TEST_F(TablePrintLayout, EverySeriesRowSharesItsPageWithItsGraph)
{
    // All 25 graphs open: the earlier printout ended page 1 with a series
    // row whose graph began page 2.
    for (int s = 0; s < doc.GetCount(); ++s)
        doc.SetExpanded(s, true);
    CTablePrintLayout::SOptions options;
    options.font = QApplication::font();
    CTablePrintLayout layout(doc, options);
    const CTablePrintLayout::SPages pages = layout.Paginate(1000, 1300);
    int seen = 0;
    for (const PrintLayout::SPageRows& page : pages.rows) {
        ASSERT_EQ(page.parts.size() % 2, 0u);
        for (size_t k = 0; k < page.parts.size(); k += 2) {
            EXPECT_EQ(page.parts[k].item, seen);
            EXPECT_FALSE(page.parts[k].detail);
            EXPECT_EQ(page.parts[k + 1].item, seen);
            EXPECT_TRUE(page.parts[k + 1].detail);
            EXPECT_EQ(page.parts[k + 1].height, layout.Series()[static_cast<size_t>(seen)].detailHeight);
            ++seen;
        }
    }
    EXPECT_EQ(seen, doc.GetCount());

    // In the PDF every page holds as many series rows (their November
    // dates) as graphs (their titles).
    const QStringList text = PdfText::Pages(PrintPdf("sample-all", layout));
    ASSERT_GE(text.size(), 2);
    const QRegularExpression rowDate(QStringLiteral("11/\\d\\d/2026"));
    for (const QString& page : text) {
        EXPECT_GT(page.count(QStringLiteral("diagram [")), 0);
        EXPECT_EQ(page.count(rowDate), page.count(QStringLiteral("diagram ["))) << page.toStdString();
    }
}

} // namespace
