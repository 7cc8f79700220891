// SPDX-License-Identifier: GPL-3.0-or-later
// Copy, cut and paste of series through the system clipboard, the picture
// of the selected cells, and the text export of the child view.
#include <gtest/gtest.h>

#include <QMessageBox>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "data/ClipboardData.h"
#include "data/DocTestSupport.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "data/TextExport.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "support/TestEnv.h"
#include "views/ChildView.h"
#include "views/SystemClipboard.h"
#include "views/table/TabGrid.h"
#include "views/TabSheet.h"
#include "views/ViewSettings.h"
#include "views/ViewText.h"

using ViewTest::Load;
using ViewTest::MakeSeries;
using ViewTest::ProcessEvents;
using ViewTest::Values;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ViewClipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        // Series pass through the RAM disk of the stream library.
        ASSERT_TRUE(StreamIO::Initialize());
        CSystemClipboard::Install();
        QGuiApplication::clipboard()->clear();
        Load(source, {MakeSeries("SRC-1", 11, Values(12, 80)), MakeSeries("SRC-2", 12, Values(30, 95)),
                      MakeSeries("SRC-3", 13, Values(5, 70))},
             "VT-1");
        source.SetComment(1, u"kept\r\ncomment");
        Load(target, {MakeSeries("TGT-1", 21, Values(7)), MakeSeries("TGT-2", 22, Values(9))}, "VT-2");
        from = std::make_unique<CTabGrid>(&source);
        to = std::make_unique<CTabGrid>(&target);
    }
    void TearDown() override { Clipboard::SetProcess(nullptr); }

    CPaperDoc source, target;
    std::unique_ptr<CTabGrid> from, to;
};

} // namespace

TEST_F(ViewClipboard, SeriesTravelThroughTheSystemClipboard)
{
    EXPECT_FALSE(to->IsCommandEnabled(IPage::cmdPaste));
    CGridCtrl* grid = from->Grid();
    ViewTest::ClickCell(grid, 3, 2);
    ViewTest::ClickCell(grid, 5, 2, QPoint(-1, -1), Qt::ControlModifier);
    from->RunCommand(IPage::cmdCopy);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QString format = QStringLiteral("BrelmoraClipboardFormat");
    ASSERT_TRUE(data->hasFormat(format));
    const QByteArray bytes = data->data(format);
    const ClipboardData::SPayload payload =
        ClipboardData::Unpack(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(payload.status, ClipboardData::SPayload::ok);
    EXPECT_EQ(payload.length + 4u, static_cast<uint32_t>(bytes.size()));
    // Plain text for other programs: the header line and the two series.
    EXPECT_TRUE(data->text().startsWith(ViewText::Q(SeriesPageText::HeaderLine(false))));
    EXPECT_EQ(data->text().count(QStringLiteral("\r\n")), 2);

    EXPECT_TRUE(to->IsCommandEnabled(IPage::cmdPaste));
    to->RunCommand(IPage::cmdPaste);
    ProcessEvents();
    ASSERT_EQ(target.GetCount(), 4);
    EXPECT_EQ(target.GetRollId(2), u"SRC-2");
    EXPECT_EQ(target.GetComment(2), u"kept\r\ncomment");
    EXPECT_EQ(target.GetRollId(3), u"SRC-3");
    EXPECT_EQ(target.GetImpactCount(2), 30);
    EXPECT_EQ(to->Grid()->GetRowCount(), 9);
    EXPECT_EQ(source.GetCount(), 3);
}

TEST_F(ViewClipboard, CutRemovesTheCopiedSeriesWithoutAsking)
{
    ViewTest::ClickCell(from->Grid(), 1, 4);
    from->RunCommand(IPage::cmdCut);   // a question box would block here
    ASSERT_EQ(source.GetCount(), 2);
    EXPECT_EQ(source.GetRollId(0), u"SRC-2");
    to->RunCommand(IPage::cmdPaste);
    ProcessEvents();
    EXPECT_EQ(target.GetRollId(2), u"SRC-1");
}

TEST_F(ViewClipboard, LengthZeroOrForeignDataCannotBePasted)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("BrelmoraClipboardFormat"), QByteArray(4, '\0'));
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_FALSE(target.CanPaste());
    EXPECT_FALSE(to->IsCommandEnabled(IPage::cmdPaste));

    // A length larger than what follows is refused by the document.
    auto* damaged = new QMimeData;
    damaged->setData(QStringLiteral("BrelmoraClipboardFormat"), QByteArray("\xff\x00\x00\x00" "abc", 7));
    QGuiApplication::clipboard()->setMimeData(damaged);
    DataTest::FakeUi ui;
    target.SetUi(&ui);
    to->RunCommand(IPage::cmdPaste);
    EXPECT_EQ(target.GetCount(), 2);
    EXPECT_EQ(ui.messages.size(), 1u);
    target.SetUi(nullptr);
}

TEST_F(ViewClipboard, SelectedCellsAsPicture)
{
    from->resize(1000, 600);
    from->ToggleExpanded(0, false);
    CGridCtrl* grid = from->Grid();
    grid->SelectRange(SCellRange{1, 1, 3, 4}, false);
    EXPECT_TRUE(from->IsCommandEnabled(IPage::cmdCopyPicture));
    from->RunCommand(IPage::cmdCopyPicture);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/svg+xml")));
    const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("SRC-1"));
    ASSERT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), grid->GetRangeSize(SCellRange{1, 1, 3, 4}));
    // The graph row is part of the block: taller than three plain rows.
    EXPECT_GT(image.height(), 3 * 22);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(242, 245, 253));
}

TEST_F(ViewClipboard, PictureCutAtTheSizeLimitSaysHowManyRowsItHolds)
{
    std::vector<DataTest::Series> many;
    for (int i = 0; i < 800; ++i)
        many.push_back(MakeSeries("R" + std::to_string(i), static_cast<uint16_t>(i), Values(3)));
    CPaperDoc big;
    Load(big, many);
    CTabGrid page(&big);
    page.resize(1000, 600);
    page.SelectAllCells();
    QString text;
    ViewTest::WhenModal<QMessageBox>([&text](QMessageBox* box) {
        text = box->text();
        box->accept();
    });
    page.RunCommand(IPage::cmdCopyPicture);
    // 800 rows of 22 pixels do not fit into 16000: 727 rows do.
    EXPECT_EQ(text, QStringLiteral("The picture is cut at 16000 pixels in height: it holds 727 of the 800 selected rows."));
    const QImage image = qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
    EXPECT_LE(image.height(), 16000);
}

TEST_F(ViewClipboard, ExportWritesThePageTextAsTheCommandLineDoes)
{
    CPaperDoc doc;
    DataTest::FakeUi ui;
    doc.SetUi(&ui);
    ASSERT_TRUE(doc.OpenProject(Platform::FromUtf8(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr")));
    CChildView view(&doc);
    ProcessEvents();
    const std::string path = TestEnv::TempDir() + "/export.csv";
    ui.dialogOk = true;
    ui.dialogPath = Platform::FromUtf8(path);
    view.ExportText();
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    std::u16string filters;
    for (const SFileFilter& f : ui.saveRequests[0].filters)
        filters += f.caption + u"|" + f.pattern + u"|";
    EXPECT_EQ(filters + u"|",
              u"Text file (*.txt)|*.txt|CSV file (*.csv)|*.csv|Spreadsheet CSV, UTF-8 (*.csv)|*.csv|All Files (*.*)|*.*||");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, u"csv");
    EXPECT_TRUE(ui.saveRequests[0].overwritePrompt);
    const std::vector<uint8_t> written = ReadFile(path);
    const uint32_t dt = ViewSettings::DtFormat();
    EXPECT_EQ(written, TextExport::Encode(SeriesPageText::ExportText(doc.GetCurrent(), false, dt)));
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written[0], 0xFF);
    EXPECT_EQ(written[1], 0xFE);

    // brelmora-cli export gives the same bytes.
    const std::string cli = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli";
    if (std::ifstream(cli).good()) {
        const std::string cliOut = TestEnv::TempDir() + "/cli.csv";
        const std::string command = cli + " export '" + BRELMORA_SOURCE_DIR + "/examples/sample.vnr' '" + cliOut +
                                    "' --dtformat " + std::to_string(dt);
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(ReadFile(cliOut), written);
    }

    // The summary page exports its own text.
    view.findChild<CTabSheet*>()->setCurrentIndex(1);
    const std::string summaryPath = TestEnv::TempDir() + "/summary.txt";
    ui.dialogPath = Platform::FromUtf8(summaryPath);
    view.ExportText();
    EXPECT_EQ(ReadFile(summaryPath), TextExport::Encode(view.ActivePage()->GetCopyText()));
    EXPECT_GT(ReadFile(summaryPath).size(), 100u);

    // The third filter writes the spreadsheet CSV of every series, also
    // from the summary page, with the same bytes as brelmora-cli --csv.
    const std::string sheetPath = TestEnv::TempDir() + "/sheet.csv";
    ui.dialogPath = Platform::FromUtf8(sheetPath);
    ui.dialogFilter = 2;
    view.ExportText();
    ui.dialogFilter = 0;
    const std::string sheet = SpreadsheetExport::Encode(doc.GetCurrent(), SpreadsheetExport::ERows::Series);
    EXPECT_EQ(ReadFile(sheetPath), std::vector<uint8_t>(sheet.begin(), sheet.end()));
    if (std::ifstream(cli).good()) {
        const std::string cliOut = TestEnv::TempDir() + "/cli-sheet.csv";
        const std::string command =
            cli + " export '" + BRELMORA_SOURCE_DIR + "/examples/sample.vnr' '" + cliOut + "' --csv";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(ReadFile(cliOut), ReadFile(sheetPath));
    }

    // Cancel writes nothing; a file that cannot be created is reported.
    ui.dialogOk = false;
    ui.dialogPath = Platform::FromUtf8(TestEnv::TempDir() + "/never.csv");
    view.ExportText();
    EXPECT_FALSE(std::ifstream(TestEnv::TempDir() + "/never.csv").good());
    ui.dialogOk = true;
    ui.dialogPath = u"/nonexistent-folder/x.csv";
    view.ExportText();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageError);
    EXPECT_NE(ui.messages[0].second.find(u"/nonexistent-folder/x.csv"), std::u16string::npos);
    doc.SetUi(nullptr);
    Clipboard::SetProcess(nullptr);
}

TEST_F(ViewClipboard, CopyWithoutSelectionKeepsTheClipboard)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    EXPECT_FALSE(from->CopySelection());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(ViewClipboard, PrintSplitsTheRowsOverPagesWithTheHeaderOnEach)
{
    std::vector<DataTest::Series> many;
    for (int k = 0; k < 120; ++k)
        many.push_back(MakeSeries("P-" + std::to_string(k), static_cast<uint16_t>(k), Values(6)));
    CPaperDoc doc;
    Load(doc, many);
    CTabGrid page(&doc);
    page.resize(1000, 600);
    // Narrow columns: the table fits the page's width, so only the rows
    // make pages.
    for (int c = 0; c < page.Grid()->GetColumnCount(); ++c)
        page.Grid()->SetColumnWidth(c, 60);
    const auto pages = [&](bool selectionOnly) {
        const std::string path = TestEnv::TempDir() + (selectionOnly ? "/selection.pdf" : "/table.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path));
        page.PrintTable(printer, selectionOnly);
        const std::vector<uint8_t> pdf = ReadFile(path);
        const std::string text(pdf.begin(), pdf.end());
        int count = 0;
        for (size_t at = text.find("/Type /Page\n"); at != std::string::npos; at = text.find("/Type /Page\n", at + 1))
            ++count;
        return count;
    };
    EXPECT_GE(pages(false), 2);
    page.Grid()->SelectRange(SCellRange{1, 0, 4, 8}, false);
    EXPECT_EQ(pages(true), 1);
}

// Two running programs: one copies, the other pastes.  Needs a clipboard
// that processes share (run under a display, for example
// QT_QPA_PLATFORM=xcb xvfb-run build/bin/test_gui --gtest_filter='ViewClipboardPeer*');
// the offscreen platform keeps its clipboard in the process.
TEST(ViewClipboardPeer, TwoProgramsPasteIntoEachOther)
{
    ViewTest::EnsureApplication();
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        GTEST_SKIP() << "needs a clipboard shared between processes: scripts/test runs it in its own Xvfb step";
    ASSERT_TRUE(StreamIO::Initialize());
    CSystemClipboard::Install();

    if (qEnvironmentVariable("BRELMORA_CLIPBOARD_ROLE") == QStringLiteral("copier")) {
        // The other program: copy two series and keep serving the clipboard.
        CPaperDoc doc;
        Load(doc, {MakeSeries("PEER-1", 31, Values(8)), MakeSeries("PEER-2", 32, Values(40)),
                   MakeSeries("PEER-3", 33, Values(3))});
        CTabGrid page(&doc);
        page.Grid()->SelectRange(SCellRange{3, 0, 6, 8}, false);
        ASSERT_TRUE(page.CopySelection());
        std::printf("copied\n");
        std::fflush(stdout);
        QTimer::singleShot(15000, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
        Clipboard::SetProcess(nullptr);
        return;
    }

    QProcess copier;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRELMORA_CLIPBOARD_ROLE"), QStringLiteral("copier"));
    copier.setProcessEnvironment(env);
    copier.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=ViewClipboardPeer.TwoProgramsPasteIntoEachOther")});
    ASSERT_TRUE(copier.waitForStarted(5000));
    QByteArray output;
    for (int k = 0; k < 200 && !output.contains("copied"); ++k) {
        copier.waitForReadyRead(50);
        output += copier.readAllStandardOutput();
    }
    ASSERT_TRUE(output.contains("copied")) << output.toStdString();

    CPaperDoc doc;
    Load(doc, {MakeSeries("HERE-1", 1, Values(5))});
    EXPECT_TRUE(doc.CanPaste());
    EXPECT_TRUE(doc.PasteFromClipboard());
    ASSERT_EQ(doc.GetCount(), 3);
    EXPECT_EQ(doc.GetRollId(1), u"PEER-2");
    EXPECT_EQ(doc.GetRollId(2), u"PEER-3");
    EXPECT_EQ(doc.GetImpactCount(1), 40);
    copier.kill();
    copier.waitForFinished(5000);
    Clipboard::SetProcess(nullptr);
}
