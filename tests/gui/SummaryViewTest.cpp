// SPDX-License-Identifier: GPL-3.0-or-later
// The summary page: what its drawing shows for one entry, for entries
// without a value and for narrow clients, the order link and the comment
// link, the context menu, tool tips, copy as text and as picture, and the
// empty summary that draws, copies and prints nothing.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "data/PaperDoc.h"
#include "support/TestEnv.h"
#include "views/dialogs/CommentDlg.h"
#include "views/summary/SummaryDrawing.h"
#include "views/summary/SummaryPicture.h"
#include "views/summary/SummaryView.h"
#include "views/summary/TabSummary.h"
#include "views/SystemClipboard.h"

using ViewTest::Load;
using ViewTest::MakeSeries;
using ViewTest::ProcessEvents;
using ViewTest::Values;

namespace {

class SummaryView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        QGuiApplication::clipboard()->clear();
    }

    // A shown page for a document whose series are all ticked.
    void Show(const std::vector<DataTest::Series>& series, QSize size = QSize(1280, 900))
    {
        Load(doc, series);
        doc.SetAllInSummary(true);
        page = std::make_unique<CTabSummary>(&doc);
        page->resize(size);
        page->show();
        ProcessEvents();
        page->View()->viewport()->repaint();
    }

    CSummaryView* View() const { return page->View(); }

    std::vector<SSummaryArea> AreasOf(int id) const
    {
        std::vector<SSummaryArea> found;
        for (const SSummaryArea& a : View()->Areas())
            if (a.id == id)
                found.push_back(a);
        return found;
    }

    QString Svg() const
    {
        return QString::fromUtf8(SummaryPicture::Svg(View()->Data(), View()->ClientWidth(), View()->font()));
    }

    // A press and release of the left button at a point of the layout.
    void Click(const QPoint& layoutPos)
    {
        QWidget* viewport = View()->viewport();
        const QPoint at = layoutPos - QPoint(View()->horizontalScrollBar()->value(), View()->verticalScrollBar()->value());
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(viewport->mapToGlobal(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(viewport->mapToGlobal(at)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(viewport->mapToGlobal(at)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
        ProcessEvents();
        viewport->repaint();
    }

    // Right click at a layout point; the menu's texts, and the action with
    // `trigger` in its text is chosen.
    QStringList RightClick(const QPoint& layoutPos, const QString& trigger = QString())
    {
        auto texts = std::make_shared<QStringList>();
        QTimer::singleShot(20, [texts, trigger] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            QAction* chosen = nullptr;
            for (QAction* a : menu->actions()) {
                *texts << a->text();
                if (!trigger.isEmpty() && a->text().contains(trigger))
                    chosen = a;
            }
            if (chosen != nullptr)
                chosen->trigger();
            menu->close();
        });
        QWidget* viewport = View()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, layoutPos, viewport->mapToGlobal(layoutPos));
        QApplication::sendEvent(viewport, &event);
        ProcessEvents();
        viewport->repaint();
        return *texts;
    }

    CPaperDoc doc;
    std::unique_ptr<CTabSummary> page;
};

TEST_F(SummaryView, OneEntryHasNoOrderLinkAndNoStandardDeviation)
{
    Show({MakeSeries("ONE-1", 7, Values(12, 90))});
    const SSummaryViewData& data = View()->Data();
    ASSERT_EQ(data.entries.size(), 1u);
    EXPECT_TRUE(AreasOf(CSummaryDrawing::areaOrder).empty());
    ASSERT_EQ(data.statistics.size(), 6u);
    EXPECT_EQ(data.statistics[0].value, QStringLiteral("= 1"));
    EXPECT_EQ(data.statistics[2].value, QStringLiteral("= -- ") + data.unit);
    EXPECT_EQ(AreasOf(CSummaryDrawing::areaBar).size(), 1u);
    // The comment is the "[Add]" link.
    EXPECT_EQ(AreasOf(CSummaryDrawing::areaComment).size(), 1u);
    EXPECT_TRUE(Svg().contains(QStringLiteral("[Add]")));
    EXPECT_FALSE(Svg().contains(QStringLiteral("[measurement order]")));
}

TEST_F(SummaryView, EntriesWithoutAValueAreCountedButNotDrawnAsBars)
{
    // Two series without impacts: no value, listed as "--".
    Show({MakeSeries("A-1", 1, Values(10, 90)), MakeSeries("A-2", 2, {}), MakeSeries("A-3", 3, Values(8, 100)),
          MakeSeries("A-4", 4, {}), MakeSeries("A-5", 5, Values(9, 80))});
    const SSummaryViewData& data = View()->Data();
    ASSERT_EQ(data.entries.size(), 5u);
    EXPECT_EQ(data.statistics[0].value, QStringLiteral("= 3/5"));
    EXPECT_EQ(AreasOf(CSummaryDrawing::areaBar).size(), 3u);
    EXPECT_EQ(data.entries[1].valueText, QStringLiteral("--"));
    const QString svg = Svg();
    EXPECT_EQ(svg.count(QStringLiteral("Conversion not possible")), 2);
    // The copy text carries the counts with a tab.
    const std::u16string text = page->GetCopyText();
    EXPECT_NE(text.find(u"Total used series\tN\t3\t5\r\n"), std::u16string::npos);
    // The order link shows with two or more entries.
    EXPECT_EQ(AreasOf(CSummaryDrawing::areaOrder).size(), 1u);
}

TEST_F(SummaryView, NarrowClientsLayOutOn800PixelsAndScroll)
{
    Show({MakeSeries("N-1", 1, Values(10, 90)), MakeSeries("N-2", 2, Values(11, 94))}, QSize(700, 500));
    EXPECT_LT(View()->ClientWidth(), 860);
    EXPECT_EQ(View()->LayoutWidth(), 800);
    EXPECT_GE(View()->ScrollSize().width(), 800);
    EXPECT_GE(View()->ScrollSize().height(), 800);
    EXPECT_GT(View()->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(View()->verticalScrollBar()->maximum(), 0);

    // A wide client: the layout is the client less 60.
    page->resize(1400, 900);
    ProcessEvents();
    EXPECT_EQ(View()->LayoutWidth(), View()->ClientWidth() - 60);
    EXPECT_EQ(View()->Layout().diagram.width, View()->LayoutWidth() - 20);
}

TEST_F(SummaryView, OrderLinkCyclesThroughTheOrdersAndBack)
{
    Show({MakeSeries("C-2", 1, Values(10, 100)), MakeSeries("B-3", 2, Values(10, 70)),
          MakeSeries("A-1", 3, Values(10, 85))});
    EXPECT_EQ(View()->Data().Order(), 0);
    // Bars from left to right: entry order, by value, by roll ID, entry order.
    const auto barOrder = [&] {
        std::vector<SSummaryArea> bars = AreasOf(CSummaryDrawing::areaBar);
        std::sort(bars.begin(), bars.end(), [](const SSummaryArea& a, const SSummaryArea& b) {
            return a.rect.left() < b.rect.left();
        });
        std::vector<int> entries;
        for (const SSummaryArea& a : bars)
            entries.push_back(a.entry);
        return entries;
    };
    EXPECT_EQ(barOrder(), (std::vector<int>{0, 1, 2}));
    const std::vector<int16_t> settings = {1, 2, 0};
    const std::vector<std::vector<int>> orders = {{1, 2, 0}, {2, 1, 0}, {0, 1, 2}};
    for (size_t k = 0; k < settings.size(); ++k) {
        const std::vector<SSummaryArea> link = AreasOf(CSummaryDrawing::areaOrder);
        ASSERT_EQ(link.size(), 1u);
        Click(link[0].rect.center());
        EXPECT_EQ(doc.GetSummaryDisplaySetting(), settings[k]);
        EXPECT_EQ(barOrder(), orders[k]) << k;
    }
    // Unset in the median mode: ordered by value, the next click by roll ID.
    doc.SetSummaryDisplaySetting(-1);
    doc.SetSummaryAveragingMode(summary_probe_meas_t::kMedian);
    page->Refill(-1);
    EXPECT_EQ(View()->Data().Order(), 1);
    page->CycleOrder();
    EXPECT_EQ(doc.GetSummaryDisplaySetting(), 2);
}

TEST_F(SummaryView, CommentLinesOpenTheCommentDialog)
{
    Show({MakeSeries("K-1", 1, Values(10, 90)), MakeSeries("K-2", 2, Values(10, 95))});
    ViewTest::WhenModal<CCommentDlg>([](CCommentDlg* dialog) {
        EXPECT_TRUE(dialog->GetText().empty());
        dialog->Edit()->setPlainText(QStringLiteral("Night shift\nsecond line"));
        dialog->accept();
    });
    const std::vector<SSummaryArea> add = AreasOf(CSummaryDrawing::areaComment);
    ASSERT_EQ(add.size(), 1u);
    Click(add[0].rect.center());
    ProcessEvents();
    EXPECT_EQ(doc.GetSummaryComment(), u"Night shift\r\nsecond line");
    EXPECT_TRUE(doc.HasChangeMark());
    // Both lines are links now.
    EXPECT_EQ(AreasOf(CSummaryDrawing::areaComment).size(), 2u);
    EXPECT_NE(page->GetCopyText().find(u"\"Night shift<br>second line\""), std::u16string::npos);
}

TEST_F(SummaryView, HoverGivesTheHandOverLinksAndToolTipsOverBars)
{
    Show({MakeSeries("H-1", 1, Values(10, 90)), MakeSeries("H-2", 2, Values(10, 91))});
    const SSummaryArea link = AreasOf(CSummaryDrawing::areaOrder).at(0);
    QWidget* viewport = View()->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(link.rect.center()), QPointF(viewport->mapToGlobal(link.rect.center())),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(View()->Hovered(), CSummaryDrawing::areaOrder);
    EXPECT_EQ(viewport->cursor().shape(), Qt::PointingHandCursor);

    const SSummaryArea bar = AreasOf(CSummaryDrawing::areaBar).at(1);
    const uint8_t byte = View()->Data().entries[1].valueByte;
    EXPECT_EQ(CSummaryDrawing::ToolTip(View()->Data(), bar),
              QStringLiteral("Measurement number 2\n%1 Q").arg(byte * 0.5, 0, 'f', 1));
    QMouseEvent overBar(QEvent::MouseMove, QPointF(bar.rect.center()), QPointF(viewport->mapToGlobal(bar.rect.center())),
                        Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &overBar);
    EXPECT_EQ(View()->Hovered(), CSummaryDrawing::areaNone);
    EXPECT_EQ(viewport->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SummaryView, ContextMenuRemovesOneOrAllSeriesAndAddsThemAll)
{
    Show({MakeSeries("M-1", 1, Values(10, 90)), MakeSeries("M-2", 2, Values(10, 95)),
          MakeSeries("", 33, Values(10, 99))});
    // Over the bar of the entry without roll ID: its counter names it.
    const SSummaryArea third = AreasOf(CSummaryDrawing::areaBar).at(2);
    const QStringList texts = RightClick(third.rect.center(), QStringLiteral("Remove series"));
    EXPECT_EQ(texts, (QStringList{"Remove series 33", "Remove all series", "Add all series"}));
    EXPECT_FALSE(doc.GetInSummary(2));
    EXPECT_EQ(View()->Data().entries.size(), 2u);
    // Away from the bars the first item is missing.
    EXPECT_EQ(RightClick(QPoint(5, 5), QStringLiteral("Remove all")),
              (QStringList{"Remove all series", "Add all series"}));
    EXPECT_TRUE(View()->Data().IsEmpty());
    EXPECT_FALSE(doc.GetInSummary(0));
    RightClick(QPoint(5, 5), QStringLiteral("Add all"));
    EXPECT_EQ(View()->Data().entries.size(), 3u);
}

TEST_F(SummaryView, AnEmptySummaryDrawsCopiesAndPrintsNothing)
{
    Show({MakeSeries("E-1", 1, Values(10, 90))});
    page->SetAllInSummary(false);
    EXPECT_TRUE(View()->Data().IsEmpty());
    EXPECT_TRUE(View()->Areas().empty());
    // Nothing drawn: the whole view is its background.
    const QImage shot = View()->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(300, 200), shot.pixelColor(20, 20));
    EXPECT_EQ(shot.pixelColor(700, 600), shot.pixelColor(20, 20));
    for (IPage::Command c : {IPage::cmdCopy, IPage::cmdCopyPicture, IPage::cmdPrint})
        EXPECT_FALSE(page->IsCommandEnabled(c)) << c;
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    page->RunCommand(IPage::cmdCopy);
    page->RunCommand(IPage::cmdCopyPicture);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    const std::string path = TestEnv::TempDir() + "/empty-summary.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    EXPECT_FALSE(page->PrintPage(printer, false));
    EXPECT_FALSE(std::ifstream(path).good());
    EXPECT_TRUE(SummaryPicture::Svg(View()->Data(), 1000, QFont()).isEmpty());
}

TEST_F(SummaryView, CopyAsPictureGivesSvgAndPngOfTheWholeLayout)
{
    CSystemClipboard::Install();
    Show({MakeSeries("P-1", 1, Values(10, 90)), MakeSeries("P-2", 2, Values(10, 95))});
    ASSERT_TRUE(page->IsCommandEnabled(IPage::cmdCopyPicture));
    page->RunCommand(IPage::cmdCopyPicture);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    const QSize extent(View()->Layout().extent.width, View()->Layout().extent.height);
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(image.size(), extent);
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white));
    // One layout pixel is 0.2 mm.
    const QString svg = QString::fromUtf8(mime->data(QStringLiteral("image/svg+xml")));
    EXPECT_TRUE(svg.contains(QStringLiteral("width=\"%1mm\"").arg(extent.width() * 0.2, 0, 'g', 10))) << extent.width();
    EXPECT_TRUE(svg.contains(QStringLiteral("Summary of Series")));
    EXPECT_TRUE(svg.contains(QStringLiteral("Statistics of summary")));
    Clipboard::SetProcess(nullptr);
}

TEST_F(SummaryView, MeasureAndDrawAgreeOnEveryDevice)
{
    std::vector<DataTest::Series> many;
    for (int k = 0; k < 300; ++k)
        many.push_back(MakeSeries("R-" + std::to_string(k), static_cast<uint16_t>(k), Values(8, static_cast<uint8_t>(60 + k % 80))));
    Show(many, QSize(900, 700));
    const SummaryLayout::SPlacement screen = View()->Layout();
    // A printer and an image give the same layout as the screen.
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter imagePainter(&image);
    CSummaryDrawing::SStyle style;
    style.font = View()->font();
    SummaryLayout::SListHeightMemory memory;
    std::vector<SSummaryArea> areas;
    const SummaryLayout::SPlacement drawn =
        CSummaryDrawing::Paint(imagePainter, View()->Data(), View()->ClientWidth(), style, false, memory, &areas);
    EXPECT_EQ(drawn.extent, screen.extent);
    EXPECT_EQ(drawn.listHeight, screen.listHeight);
    // Every bar registers its tool-tip area.
    EXPECT_EQ(std::count_if(areas.begin(), areas.end(), [](const SSummaryArea& a) { return a.id == CSummaryDrawing::areaBar; }),
              300);
}

} // namespace
