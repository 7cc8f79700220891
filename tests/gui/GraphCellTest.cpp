// SPDX-License-Identifier: GPL-3.0-or-later
// The series graph: layouts by impact count, the areas it registers, one
// drawing routine on every device, the detail copy text, the animation and
// the hover behaviour of the cell; the table's small cells.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <fstream>
#include <string>

#include "ViewTestSupport.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "support/TestEnv.h"
#include "views/table/GridCellBarRange.h"
#include "views/table/GridCellDetailGripper.h"
#include "views/table/GridCellSeries.h"
#include "views/graph/SeriesGraph.h"

using ViewTest::MakeSeries;
using ViewTest::Values;

namespace {

class GraphCell : public ::testing::Test {
protected:
    void SetUp() override { ViewTest::EnsureApplication(); }

    SSeriesGraphData Data(int impacts, uint8_t lower = 80, uint8_t upper = 120)
    {
        doc.CloseProject();
        ViewTest::Load(doc, {MakeSeries("G", 1, Values(impacts), lower, upper)});
        return MakeSeriesGraphData(doc, 0);
    }

    // Draws into an image of the cell's size and returns the areas.
    std::vector<SSensitiveArea> Draw(const SSeriesGraphData& data, int width, int* needed = nullptr)
    {
        QImage image(width, 900, QImage::Format_RGB32);
        QPainter painter(&image);
        CSeriesGraph::SStyle style;
        style.font = QFont();
        std::vector<SSensitiveArea> areas;
        const int h = CSeriesGraph::Paint(painter, QRect(0, 0, width, 900), data, style, false, &areas);
        if (needed != nullptr)
            *needed = h;
        return areas;
    }

    static QRect Union(const std::vector<SSensitiveArea>& areas, int id)
    {
        QRect r;
        for (const SSensitiveArea& a : areas)
            if (a.id == id)
                r = r.united(a.rect);
        return r;
    }

    CPaperDoc doc;
};

} // namespace

TEST_F(GraphCell, LayoutFollowsTheImpactCount)
{
    int h25 = 0, h26 = 0, h51 = 0;
    const auto a25 = Draw(Data(25), 1000, &h25);
    const auto a26 = Draw(Data(26), 1000, &h26);
    const auto a51 = Draw(Data(51), 1000, &h51);
    // Up to 25 the blocks stand right of the diagram: the comment as well.
    EXPECT_GE(h25, CSeriesGraph::kTopBand);
    EXPECT_GT(Union(a25, CSeriesGraph::areaComment).left(), 500);
    EXPECT_LT(Union(a25, CSeriesGraph::areaComment).top(), CSeriesGraph::kTopBand);
    // From 26 the statistics, settings and comment go under the diagram.
    EXPECT_GE(Union(a26, CSeriesGraph::areaComment).top(), CSeriesGraph::kTopBand);
    EXPECT_LT(Union(a26, CSeriesGraph::areaComment).left(), 100);
    EXPECT_GT(h26, CSeriesGraph::kTopBand);
    // From 51 the diagram spans the whole width: bars reach the right half.
    EXPECT_GT(Union(a51, CSeriesGraph::areaBar).right(), 700);
    EXPECT_LT(Union(a26, CSeriesGraph::areaBar).right(), 900);
    EXPECT_GE(Union(a51, CSeriesGraph::areaUpper).top(), CSeriesGraph::kTopBand);
    // Every bar has its tool tip with its own measurement number.
    int bars = 0;
    for (const SSensitiveArea& a : a51)
        if (a.id == CSeriesGraph::areaBar)
            ++bars;
    EXPECT_EQ(bars, 51);
    EXPECT_EQ(a51.front().id, CSeriesGraph::areaOrder);
}

TEST_F(GraphCell, BarsKeepTheirNumbersWhenOrderedByValue)
{
    ViewTest::Load(doc, {MakeSeries("O", 1, {100, 60, 80})});
    doc.SetGraphOrder(0, 1);
    const auto areas = Draw(MakeSeriesGraphData(doc, 0), 900);
    std::vector<QString> tips;
    for (const SSensitiveArea& a : areas)
        if (a.id == CSeriesGraph::areaBar)
            tips.push_back(a.tip);
    ASSERT_EQ(tips.size(), 3u);
    EXPECT_EQ(tips[0], QStringLiteral("Measurement number 2\n30.0 R"));
    EXPECT_EQ(tips[2], QStringLiteral("Measurement number 1\n50.0 R"));
}

TEST_F(GraphCell, SeriesWithoutImpactsDrawsAnEmptyDiagram)
{
    const SSeriesGraphData data = Data(0, 0, 200);
    int needed = 0;
    const auto areas = Draw(data, 800, &needed);
    EXPECT_EQ(Union(areas, CSeriesGraph::areaBar), QRect());
    // One impact or none: no order link.
    EXPECT_EQ(Union(areas, CSeriesGraph::areaOrder), QRect());
    EXPECT_FALSE(Union(areas, CSeriesGraph::areaAxis).isNull());
    EXPECT_FALSE(Union(areas, CSeriesGraph::areaComment).isNull());   // "[Add]"
    EXPECT_GE(needed, CSeriesGraph::kTopBand);
}

TEST_F(GraphCell, OneRoutineDrawsOnEveryDevice)
{
    const SSeriesGraphData data = Data(30);
    CSeriesGraph::SStyle style;
    const QRect cell(0, 0, 900, 500);

    // Measure mode draws nothing.
    QImage blank(900, 500, QImage::Format_RGB32);
    blank.fill(Qt::white);
    {
        QPainter painter(&blank);
        CSeriesGraph::Paint(painter, cell, data, style, true, nullptr);
    }
    EXPECT_EQ(blank.pixelColor(450, 250), QColor(Qt::white));
    EXPECT_EQ(blank.pixelColor(100, 100), QColor(Qt::white));

    // Screen-like image.
    QImage image(900, 500, QImage::Format_RGB32);
    int onImage = 0;
    {
        QPainter painter(&image);
        onImage = CSeriesGraph::Paint(painter, cell, data, style, false, nullptr);
    }
    EXPECT_EQ(onImage, CSeriesGraph::Measure(cell, data, style.font));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(242, 245, 253));

    // SVG.
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(cell.size());
        generator.setResolution(127);
        QPainter painter(&generator);
        EXPECT_EQ(CSeriesGraph::Paint(painter, cell, data, style, false, nullptr), onImage);
    }
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("Q-Values") || svg.contains("R-Values"));

    // Printer (PDF file): same layout in the printer's units.
    const std::string pdf = TestEnv::TempDir() + "/graph.pdf";
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        QPainter painter(&printer);
        painter.scale(printer.resolution() / 96.0, printer.resolution() / 96.0);
        style.printing = true;
        EXPECT_EQ(CSeriesGraph::Paint(painter, cell, data, style, false, nullptr), onImage);
    }
    std::ifstream in(pdf, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
}

TEST_F(GraphCell, CellCopiesTheDetailRowAndAnimatesItsHeight)
{
    ViewTest::Load(doc, {MakeSeries("C", 1, {90, 91, 92})});
    doc.SetComment(0, u"a \"quoted\"\r\nline");
    CGridCellSeries cell;
    cell.Bind(&doc, 0);
    EXPECT_EQ(cell.GetCopyText(), QStringLiteral("VT-10428\t\"a &quotquoted&quot<br>line\"\t45.0\t45.5\t46.0\t"));
    EXPECT_EQ(cell.GetCopyText().toStdU16String(), SeriesPageText::DetailCopyText(doc.GetCurrent(), 0));

    cell.Expand(false, 900);
    const int target = cell.GetTargetHeight();
    EXPECT_EQ(target, CGridCellSeries::TargetFromNeeded(
                          CSeriesGraph::Measure(QRect(0, 0, 900, 100), MakeSeriesGraphData(doc, 0), QFont())));
    EXPECT_EQ(cell.GetCurrentHeight(), 2);
    EXPECT_TRUE(cell.IsExpanding());
    cell.AnimationStep();
    EXPECT_EQ(cell.GetCurrentHeight(), 17);
    while (cell.IsExpanding())
        cell.AnimationStep();
    EXPECT_EQ(cell.GetCurrentHeight(), target);
    cell.Collapse(false);
    cell.AnimationStep();
    EXPECT_EQ(cell.GetCurrentHeight(), target - 15);
    while (cell.IsCollapsing())
        cell.AnimationStep();
    EXPECT_EQ(cell.GetCurrentHeight(), 0);
    cell.Expand(true, 900);
    EXPECT_EQ(cell.GetCurrentHeight(), target);
    EXPECT_FALSE(cell.IsAnimating());
    // An unbound cell copies nothing.
    CGridCellSeries unbound;
    EXPECT_TRUE(unbound.GetCopyText().isEmpty());
}

TEST_F(GraphCell, HoverShowsTheHandOverLinksOnly)
{
    ViewTest::Load(doc, {MakeSeries("H", 1, Values(10))});
    CGridCellSeries cell;
    cell.Bind(&doc, 0);
    QImage image(900, 400, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        cell.Draw(painter, QRect(0, 0, 900, 400), SCellDrawContext());
    }
    const QRect link = Union(cell.GetAreas(), CSeriesGraph::areaOrder);
    ASSERT_FALSE(link.isNull());
    Qt::CursorShape cursor = Qt::ArrowCursor;
    EXPECT_TRUE(cell.OnMouseMove(link.center(), QRect(0, 0, 900, 400), cursor));
    EXPECT_EQ(cursor, Qt::PointingHandCursor);
    EXPECT_EQ(cell.GetHovered(), CSeriesGraph::areaOrder);
    EXPECT_FALSE(cell.OnMouseMove(link.center(), QRect(0, 0, 900, 400), cursor));   // no change
    QRect bar;
    for (const SSensitiveArea& a : cell.GetAreas())
        if (a.id == CSeriesGraph::areaBar && bar.isNull())
            bar = a.rect;
    EXPECT_TRUE(cell.OnMouseMove(bar.center(), QRect(0, 0, 900, 400), cursor));
    EXPECT_EQ(cursor, Qt::ArrowCursor);
    EXPECT_FALSE(cell.GetToolTip(bar.center()).isEmpty());
    EXPECT_FALSE(cell.OnMouseLeave());
}

TEST(GraphCells, BarRangeGeometry)
{
    const QRect rect(0, 0, 200, 22);
    SBarRangeValues v;
    v.mean = 45, v.minimum = 40, v.maximum = 60, v.lower = 50, v.upper = 80, v.withoutLimits = false;
    SBarRangeGeometry g = CGridCellBarRange::Layout(rect, v);
    EXPECT_EQ(g.outsideBar.left(), 80);
    EXPECT_EQ(g.outsideBar.right(), 119);
    EXPECT_EQ(g.band.left(), 100);
    EXPECT_EQ(g.band.right(), 159);
    EXPECT_EQ(g.insideBar.left(), 100);   // the part within the limits
    EXPECT_EQ(g.insideBar.right(), 119);
    EXPECT_EQ(g.meanX, 90);
    EXPECT_EQ(g.textBox, QRect(0, 0, 180, 22));   // twice the distance to the left edge

    // Entirely outside the limits: no inside part.
    v.lower = 70;
    EXPECT_TRUE(CGridCellBarRange::Layout(rect, v).insideBar.isNull());
    // Values beyond the scale are clamped.
    v.minimum = -10, v.maximum = 150, v.mean = 120;
    g = CGridCellBarRange::Layout(rect, v);
    EXPECT_EQ(g.outsideBar.left(), 0);
    EXPECT_EQ(g.outsideBar.right(), 199);
    EXPECT_EQ(g.meanX, 200);
    EXPECT_EQ(g.textBox.width(), 0);
}

TEST(GraphCells, GripperHitTest)
{
    using G = CGridCellDetailGripper;
    EXPECT_EQ(G::HitTest(QPoint(G::kExpandLeft + 1, 11), 22), G::hitExpand);
    EXPECT_EQ(G::HitTest(QPoint(G::kTickLeft + 20, 11), 22), G::hitTick);
    EXPECT_EQ(G::HitTest(QPoint(2, 11), 22), G::hitNone);
    EXPECT_EQ(G::HitTest(QPoint(G::kTickLeft + G::kImageWidth + 2, 11), 22), G::hitNone);
    EXPECT_EQ(G::HitTest(QPoint(G::kExpandLeft + 1, 0), 22), G::hitNone);   // above the picture
}
