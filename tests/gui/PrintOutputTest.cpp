// SPDX-License-Identifier: GPL-3.0-or-later
// Printing read back: the series table and the summary printed offscreen
// into PDF files, then their text taken out again page by page.  Every page
// carries the header and the footer, the footer counts the pages, every
// series prints once, columns that do not fit go to pages of their own.
// The frame's texts are also checked without a printer.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QRegularExpression>

#include <ctime>
#include <string>
#include <vector>

#include "PdfText.h"
#include "ViewTestSupport.h"
#include "controls/GridCtrl.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "update/FileVersionInfo.h"
#include "views/print/PageFrame.h"
#include "views/summary/TabSummary.h"
#include "views/table/TabGrid.h"

using ViewTest::Load;
using ViewTest::MakeSeries;
using ViewTest::Values;

namespace {

std::string Id(int k)
{
    char id[16];
    std::snprintf(id, sizeof id, "PR-%03d", k);
    return id;
}

class PrintOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        if (!PdfText::Available())
            GTEST_SKIP() << PdfText::Program() << " is missing (scripts/install-deps installs poppler-utils)";
    }

    // `count` series, saved as rolls.vnr so the project has a file name.
    void Fill(int count)
    {
        std::vector<DataTest::Series> series;
        for (int k = 0; k < count; ++k)
            series.push_back(MakeSeries(Id(k), static_cast<uint16_t>(100 + k), Values(6 + k % 9, 88)));
        Load(doc, series);
        path = TestEnv::TempDir() + "/rolls.vnr";
        ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(path)));
        ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(path)));
    }

    static void ToPdf(QPrinter& printer, const std::string& file)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
    }

    // The frame of page `k` (1-based) of `count`.
    static void ExpectFrame(const QString& text, int k, int count)
    {
        EXPECT_TRUE(text.contains(QStringLiteral("Vantor"))) << k;
        EXPECT_TRUE(text.contains(QStringLiteral("Veltrano measurement series"))) << k;
        EXPECT_TRUE(text.contains(QStringLiteral("Brelmora Version 1.8.1.0"))) << k;
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(k).arg(count))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("rolls.vnr"))) << k;
        // Date and time in the user's pictures (default "MM/dd/yyyy h:mm tt").
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\d\\d/\\d\\d/\\d{4} \\d{1,2}:\\d\\d [AP]M")))) << k;
    }

    CPaperDoc doc;
    std::string path;
};

TEST_F(PrintOutput, TableRowsGoOverPagesWithHeaderAndFooterOnEach)
{
    Fill(140);
    CTabGrid page(&doc);
    // Narrow columns: the rows alone make the pages.
    for (int c = 0; c < page.Grid()->GetColumnCount(); ++c)
        page.Grid()->SetColumnWidth(c, 70);
    const std::string pdf = TestEnv::TempDir() + "/table.pdf";
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    ASSERT_TRUE(page.PrintTable(printer, false));

    const QStringList pages = PdfText::Pages(pdf);
    // 140 rows of 22 pixels (4.4 mm) on A4: three pages, so page 2 says
    // "Page 2 of 3".
    ASSERT_EQ(pages.size(), 3);
    for (int k = 0; k < pages.size(); ++k) {
        ExpectFrame(pages[k], k + 1, static_cast<int>(pages.size()));
        // The table's header row heads every page.
        EXPECT_TRUE(pages[k].contains(QStringLiteral("Roll ID"))) << k;
    }
    // Every series once, in order.
    const QString all = pages.join(QChar('\n'));
    int previous = -1;
    for (int k = 0; k < 140; ++k) {
        const QString id = QString::fromStdString(Id(k));
        EXPECT_EQ(all.count(id), 1) << id.toStdString();
        EXPECT_GT(all.indexOf(id), previous);
        previous = static_cast<int>(all.indexOf(id));
    }
}

TEST_F(PrintOutput, ColumnsThatDoNotFitThePageGoToPagesOfTheirOwn)
{
    Fill(30);
    CTabGrid page(&doc);
    // Nine columns of 250 pixels (450 mm) on A4 portrait, where three fit
    // (about 190 mm between the margins): three groups of columns for
    // every group of rows.
    for (int c = 0; c < page.Grid()->GetColumnCount(); ++c)
        page.Grid()->SetColumnWidth(c, 250);
    const std::string pdf = TestEnv::TempDir() + "/columns.pdf";
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    ASSERT_TRUE(page.PrintTable(printer, false));
    const QStringList pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size() % 3, 0) << pages.size();
    const int rowPages = static_cast<int>(pages.size()) / 3;
    for (int k = 0; k < pages.size(); ++k) {
        ExpectFrame(pages[k], k + 1, static_cast<int>(pages.size()));
        const int group = k % 3;
        EXPECT_EQ(pages[k].contains(QStringLiteral("Roll ID")), group == 0) << k;
        EXPECT_EQ(pages[k].contains(QStringLiteral("Total")), group == 1) << k;
        EXPECT_EQ(pages[k].contains(QStringLiteral("Std dev.")), group == 2) << k;
    }
    // The roll IDs stand on the first page of each group of rows only.
    const QString all = pages.join(QChar('\n'));
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(all.count(QString::fromStdString(Id(k))), 1);
    EXPECT_GE(rowPages, 1);
}

TEST_F(PrintOutput, SelectionOnlyPrintsTheSelectedSeries)
{
    Fill(12);
    CTabGrid page(&doc);
    for (int c = 0; c < page.Grid()->GetColumnCount(); ++c)
        page.Grid()->SetColumnWidth(c, 70);
    // Series 3 and 4 (value rows 7 and 9), column 1 and the cells beside it.
    page.Grid()->SelectRange(SCellRange{CTabGrid::ValueRow(3), 1, CTabGrid::ValueRow(4), 4}, false);
    std::vector<uint8_t> expected(12, 0);
    expected[3] = expected[4] = 1;
    EXPECT_EQ(page.PrintedSeries(), expected);
    const std::string pdf = TestEnv::TempDir() + "/selection.pdf";
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    ASSERT_TRUE(page.PrintTable(printer, true));
    const QStringList pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 1);
    ExpectFrame(pages[0], 1, 1);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(pages[0].contains(QString::fromStdString(Id(k))), k == 3 || k == 4) << k;
}

TEST_F(PrintOutput, SummaryPrintsOnOnePageWithTheFrame)
{
    Fill(40);
    doc.SetAllInSummary(true);
    CTabSummary page(&doc);
    page.resize(1200, 800);
    const std::string pdf = TestEnv::TempDir() + "/summary.pdf";
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    ASSERT_TRUE(page.PrintPage(printer, false));
    const QStringList pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 1);
    ExpectFrame(pages[0], 1, 1);
    for (const char* text : {"Summary of Series", "Diagram of series", "Values of series", "Statistics of summary",
                             "Settings of series", "Total used series", "VT-10428"})
        EXPECT_TRUE(pages[0].contains(QString::fromLatin1(text))) << text;
}

TEST(PageFrame, TextsOfTheHeaderAndTheFooter)
{
    ViewTest::EnsureApplication();
    // The project's file name without its folders, either separator.
    EXPECT_EQ(PageFrame::FileNameOf(u"C:\\Data\\Rolls\\night.vnr"), u"night.vnr");
    EXPECT_EQ(PageFrame::FileNameOf(u"/home/lab/rolls.vnr"), u"rolls.vnr");
    EXPECT_EQ(PageFrame::FileNameOf(u"rolls.vnr"), u"rolls.vnr");
    EXPECT_EQ(PageFrame::FileNameOf(u""), u"");
    // Page numbers.
    EXPECT_EQ(PageFrame::PageText(2, 3), u"Page 2 of 3");
    // A program without a version record says its name only.
    EXPECT_EQ(PageFrame::VersionHeaderText(CFileVersionInfo()), u"Brelmora");
    CFileVersionInfo own;
    ASSERT_TRUE(own.Read());
    EXPECT_EQ(PageFrame::VersionHeaderText(own), u"Brelmora Version 1.8.1.0");

    // A project without a file: the centre of the footer is empty.
    CPaperDoc doc;
    Load(doc, {MakeSeries("F-1", 1, Values(5))});
    const std::time_t now = 1700000000;
    SPrintInfo info = PageFrame::MakePrintInfo(doc, CFileVersionInfo(), 0x0303, now);
    EXPECT_TRUE(info.fileName.isEmpty());
    EXPECT_EQ(info.leftHeader, QStringLiteral("Vantor"));
    EXPECT_EQ(info.centreHeader, QStringLiteral("Veltrano measurement series"));
    EXPECT_EQ(info.rightHeader, QStringLiteral("Brelmora"));
    // The date and time in the chosen pictures (0x0303: "dd.MM.yyyy HH:mm").
    std::tm local{};
    localtime_r(&now, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%d.%m.%Y %H:%M", &local);
    EXPECT_EQ(info.printedAt, QString::fromLatin1(expected));
}

} // namespace
