// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the series table, the summary page, printed pages and the
// series dialogs for the documentation.  Runs only when BRELMORA_SCREENSHOT_DIR (or
// BRELMORA_SCREENSHOTS) names a folder:
//
//   BRELMORA_SCREENSHOT_DIR=docs/screenshots build/bin/test_gui --gtest_filter='ViewScreenshot*'
//
// With QT_SCALE_FACTOR=2 the names get "-hidpi", with BRELMORA_SCREENSHOT_DARK=1
// a dark palette is used ("-dark"), with BRELMORA_SCREENSHOT_GERMAN=1 the
// German library's texts ("-de"); BRELMORA_SCREENSHOT_SUFFIX, when set,
// replaces the suffix made from these.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QDateEdit>
#include <QPalette>
#include <QScrollBar>
#include <QStyleFactory>

#include <cstdlib>
#include <string>

#include "ViewTestSupport.h"
#include "ScreenshotPalette.h"
#include "data/PaperDoc.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "views/dialogs/CommentDlg.h"
#include "views/dialogs/DateTimeDlg.h"
#include "views/dialogs/LimitDlg.h"
#include "views/dialogs/SeriesNotAddedDlg.h"
#include "views/summary/SummaryView.h"
#include "views/summary/TabSummary.h"
#include "views/table/TabGrid.h"
#include "views/TabSheet.h"

namespace {

class ViewScreenshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("BRELMORA_SCREENSHOT_DIR");
        if (dir == nullptr || *dir == '\0')
            dir = std::getenv("BRELMORA_SCREENSHOTS");
        if (dir == nullptr || *dir == '\0')
            GTEST_SKIP() << "takes screenshots: runs only with scripts/screenshots (BRELMORA_SCREENSHOT_DIR)";
        m_dir = dir;
        ViewTest::EnsureApplication();
        if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2"))
            m_suffix += "-hidpi";
        if (qEnvironmentVariableIsSet("BRELMORA_SCREENSHOT_DARK")) {
            m_suffix += "-dark";
            ScreenshotPalette::UseDarkPaletteWhenAsked();
        }
        if (qEnvironmentVariableIsSet("BRELMORA_SCREENSHOT_GERMAN")) {
            m_suffix += "-de";
            Platform::SetLanguageStrings(Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)));
        }
        if (qEnvironmentVariableIsSet("BRELMORA_SCREENSHOT_SUFFIX"))
            m_suffix = qEnvironmentVariable("BRELMORA_SCREENSHOT_SUFFIX").toStdString();
    }
    void TearDown() override { Platform::SetLanguageStrings(nullptr); }

    void Save(QWidget& widget, const std::string& name)
    {
        widget.show();
        ViewTest::ProcessEvents();
        const QString path = QString::fromStdString(m_dir + "/" + name + m_suffix + ".png");
        ASSERT_TRUE(widget.grab().save(path)) << path.toStdString();
    }

    std::string m_dir;
    std::string m_suffix;
};

// A table with the sample project or with series of `impacts` impacts, one
// of them open and scrolled to the top.
void ShowTable(CPaperDoc& doc, CTabSheet& sheet, int open)
{
    sheet.resize(1280, 760);
    sheet.show();
    ViewTest::ProcessEvents();
    CTabGrid* page = sheet.SeriesPage();
    page->ToggleExpanded(open, false);
    page->Grid()->SelectRange(SCellRange{CTabGrid::ValueRow(open + 1), 0, CTabGrid::DetailRow(open + 1), 8}, false);
    page->Grid()->SetTopRow(std::max(1, CTabGrid::ValueRow(open - 1)));
    ViewTest::ProcessEvents();
    (void)doc;
}

} // namespace

TEST_F(ViewScreenshot, TableWithTheSampleProject)
{
    CPaperDoc doc;
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr")));
    CTabSheet sheet(&doc);
    ShowTable(doc, sheet, 1);
    Save(sheet, "table-sample");
}

TEST_F(ViewScreenshot, DetailRowsOf5And30And80Impacts)
{
    for (int impacts : {5, 30, 80}) {
        CPaperDoc doc;
        ViewTest::Load(doc, {ViewTest::MakeSeries("WFC-31201", 1180, ViewTest::Values(12, 88)),
                             ViewTest::MakeSeries("NP-31203", 1197, ViewTest::Values(impacts, 92, 9), 78, 104),
                             ViewTest::MakeSeries("SC-31209", 1213, ViewTest::Values(11, 98), 84, 106),
                             ViewTest::MakeSeries("WFC-31214", 1224, ViewTest::Values(9, 90), 0, 200)});
        doc.SetComment(1, u"Edge of the roll damaged on the first 3 impacts.\r\nChecked again by the shift leader.");
        CTabSheet sheet(&doc);
        ShowTable(doc, sheet, 1);
        Save(sheet, "table-detail-" + std::to_string(impacts));
    }
}

TEST_F(ViewScreenshot, PictureAndPrintOfTheTable)
{
    CPaperDoc doc;
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr")));
    CTabSheet sheet(&doc);
    ShowTable(doc, sheet, 1);
    CTabGrid* page = sheet.SeriesPage();
    page->Grid()->SelectRange(SCellRange{1, 0, 7, 8}, false);
    page->CopySelectionAsPicture();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    qvariant_cast<QImage>(data->imageData()).save(QString::fromStdString(m_dir + "/table-picture" + m_suffix + ".png"));
    // The SVG and the printout only go to the test's own folder.
    QFile svg(QString::fromStdString(TestEnv::TempDir() + "/table-picture.svg"));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(data->data(QStringLiteral("image/svg+xml")));
    svg.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(TestEnv::TempDir() + "/table-print.pdf"));
    page->PrintTable(printer, false);
    EXPECT_GT(QFile(QString::fromStdString(TestEnv::TempDir() + "/table-print.pdf")).size(), 1000);
}

TEST_F(ViewScreenshot, Dialogs)
{
    CCommentDlg comment;
    comment.SetText(u"Edge of the roll damaged on the first 3 impacts.\r\nChecked again by the shift leader.");
    Save(comment, "dialog-comment");

    CDateTimeDlg time;
    time.SetOldTime(848000000);
    time.SetNewTime(848000000);
    time.DatePicker()->setDate(time.DatePicker()->date().addDays(1));
    Save(time, "dialog-time");

    CLimitDlg limit;
    limit.Set(true, 0, 100, 40);
    Save(limit, "dialog-limit");

    CSeriesNotAddedDlg notAdded;
    Save(notAdded, "dialog-not-added");
}

TEST_F(ViewScreenshot, SummaryOfTheSampleProject)
{
    CPaperDoc doc;
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr")));
    doc.SetSummaryComment(u"Rolls of the night shift, checked after the calender change.\r\n"
                          u"Three rolls without limits.");
    CTabSheet sheet(&doc);
    sheet.resize(1280, 860);
    sheet.setCurrentIndex(1);
    Save(sheet, "summary-sample");

    // A narrow page: the layout stays 800 wide and scrolls.
    sheet.resize(760, 560);
    Save(sheet, "summary-narrow");

    // Copy as picture.
    sheet.SummaryPage()->CopyAsPicture();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(qvariant_cast<QImage>(data->imageData())
                    .save(QString::fromStdString(m_dir + "/summary-picture" + m_suffix + ".png")));
}

TEST_F(ViewScreenshot, SummaryOfThreeThousandSeries)
{
    // More bars than pixels: they share pixel columns; labels stand upright
    // and skip bars so they do not overlap.
    std::vector<DataTest::Series> many;
    for (int k = 0; k < 3000; ++k)
        many.push_back(ViewTest::MakeSeries("R-" + std::to_string(10000 + k), static_cast<uint16_t>(k),
                                            ViewTest::Values(8, static_cast<uint8_t>(70 + (k * 7) % 50), 5)));
    CPaperDoc doc;
    ViewTest::Load(doc, many);
    doc.SetAllInSummary(true);
    CTabSheet sheet(&doc);
    sheet.resize(1280, 860);
    sheet.setCurrentIndex(1);
    Save(sheet, "summary-many");
}

TEST_F(ViewScreenshot, PrintedPages)
{
    // Paper looks the same in every palette and at every screen size.
    if (m_suffix.find("dark") != std::string::npos || m_suffix.find("hidpi") != std::string::npos)
        GTEST_SKIP() << "printed pages are taken in normal size and light palette only";
    if (!QFile::exists(QStringLiteral("/usr/bin/pdftoppm")))
        GTEST_SKIP() << "pdftoppm is missing (scripts/install-deps installs poppler-utils)";
    CPaperDoc doc;
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr")));
    CTabSheet sheet(&doc);
    ShowTable(doc, sheet, 1);
    const auto render = [&](IPage* page, const std::string& name) {
        const std::string pdf = TestEnv::TempDir() + "/" + name + ".pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        ASSERT_TRUE(page->PrintPage(printer, false));
        const std::string png = m_dir + "/" + name + m_suffix;
        const std::string command = "/usr/bin/pdftoppm -r 80 -png -f 1 -l 1 -singlefile '" + pdf + "' '" + png + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    };
    render(sheet.SeriesPage(), "print-table");
    sheet.setCurrentIndex(1);
    ViewTest::ProcessEvents();
    render(sheet.SummaryPage(), "print-summary");
}
