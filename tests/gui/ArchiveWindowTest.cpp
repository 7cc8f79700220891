// SPDX-License-Identifier: GPL-3.0-or-later
// The archive window on a real SQLite archive: rows arrive a page at a
// time, sorting and filters go to the database, values outside the limits
// take the table's out-of-limit colour, and the table and the trend chart
// select each other's series.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest/QTest>

#include <filesystem>

#include "ViewTestSupport.h"
#include "archive/LabArchive.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "views/ColorScheme.h"
#include "views/archive/ArchiveResultModel.h"
#include "views/archive/ArchiveWindow.h"
#include "views/trend/TrendChartView.h"
#include "views/trend/TrendPainter.h"

namespace {

constexpr int kSeries = 450;

// Waits for the trend of the last search, processing events meanwhile.
bool WaitForTrend(CArchiveWindow& window)
{
    QElapsedTimer timer;
    timer.start();
    while (window.TrendPending() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return !window.TrendPending();
}

class ArchiveWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ViewTest::EnsureApplication();
        s_path = TestEnv::TempDir() + "/window-archive.sqlite";
        std::vector<DataTest::Series> list;
        for (int i = 0; i < kSeries; ++i) {
            // Limits 40..60 (stored 80..120); every 50th series' mean lies above them.
            const uint8_t base = i % 50 == 7 ? 130 : static_cast<uint8_t>(90 + i % 9);
            list.push_back(ViewTest::MakeSeries("W-" + std::to_string(i), static_cast<uint16_t>(i + 1),
                                                ViewTest::Values(5, base, 3), 80, 120,
                                                848000000u + static_cast<uint32_t>(i) * 600));
        }
        CPaperDoc doc;
        ViewTest::Load(doc, list);
        auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(s_path)),
                                                  Archive::CLabArchive::EMode::Write);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
    }
    static Archive::SArchiveLocation Location()
    {
        return Archive::ParseArchiveLocation(Platform::FromUtf8(s_path));
    }
    static std::string s_path;
};
std::string ArchiveWindowTest::s_path;

TEST_F(ArchiveWindowTest, RowsArriveAPageAtATimeAndSortInTheDatabase)
{
    CArchiveWindow window(Location());
    CArchiveResultModel* model = window.Model();
    EXPECT_EQ(model->rowCount(), CArchiveResultModel::kPageSize);
    ASSERT_TRUE(model->canFetchMore(QModelIndex()));
    model->fetchMore(QModelIndex());
    model->fetchMore(QModelIndex());
    EXPECT_EQ(model->rowCount(), kSeries);
    EXPECT_FALSE(model->canFetchMore(QModelIndex()));
    EXPECT_EQ(model->data(model->index(0, CArchiveResultModel::colRollId), Qt::DisplayRole).toString(), "W-0");

    // Sorted by mean, highest first: the series above the limits lead, in
    // the out-of-limit colours; the limits column shows 40-60.
    window.Table()->sortByColumn(CArchiveResultModel::colMean, Qt::DescendingOrder);
    EXPECT_EQ(model->rowCount(), CArchiveResultModel::kPageSize);
    const QModelIndex top = model->index(0, CArchiveResultModel::colMean);
    EXPECT_EQ(model->Row(0)->rollId.substr(0, 2), u"W-");
    EXPECT_GT(*model->Row(0)->mean, 60.0);
    EXPECT_EQ(model->data(top, Qt::BackgroundRole).value<QBrush>().color(), CColorScheme::RangeOutside(false));
    EXPECT_FALSE(model->data(model->index(0, CArchiveResultModel::colRollId), Qt::BackgroundRole).isValid());
    EXPECT_EQ(model->data(model->index(0, CArchiveResultModel::colLimits), Qt::DisplayRole).toString(), "40-60");
    const int last = model->rowCount() - 1;
    EXPECT_FALSE(model->data(model->index(last, CArchiveResultModel::colMean), Qt::BackgroundRole).isValid());

    // A filter starts again from the first page.
    window.findChild<QLineEdit*>(QStringLiteral("rollPattern"))->setText(QStringLiteral("w-1?"));
    window.Search();
    EXPECT_EQ(model->rowCount(), 10);
    ASSERT_TRUE(WaitForTrend(window));
    EXPECT_EQ(window.Trend()->Chart().points.size(), 10u);
}

TEST_F(ArchiveWindowTest, TableAndTrendSelectEachOther)
{
    CArchiveWindow window(Location());
    window.resize(1000, 800);
    window.show();
    ASSERT_TRUE(WaitForTrend(window));
    CTrendChartView* trend = window.Trend();
    const Archive::STrendChart& chart = trend->Chart();
    ASSERT_EQ(chart.points.size(), static_cast<size_t>(kSeries));
    // The outliers lie beyond the control limits.
    EXPECT_TRUE(chart.points[7].beyond);
    EXPECT_FALSE(chart.points[8].beyond);

    // A click on a point beyond the first page selects its row (fetched on
    // demand).
    const STrendLayout layout = TrendPainter::Layout(trend->rect(), chart, trend->Style());
    const size_t point = 407;
    const QPoint at(static_cast<int>(layout.X(chart, point) + 0.5), layout.main.center().y());
    ASSERT_EQ(TrendPainter::PointAt(layout, chart, at), std::optional<size_t>(point));
    QTest::mouseClick(trend, Qt::LeftButton, Qt::NoModifier, at);
    const QModelIndex current = window.Table()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(window.Model()->Row(current.row())->measurementId, chart.points[point].archiveId);
    EXPECT_NE(TrendPainter::PointTip(chart, point).indexOf(QStringLiteral("W-407")), -1);

    // Selecting a row marks its point.
    window.Table()->selectRow(3);
    EXPECT_EQ(trend->Style().selected, 3);
    // Outside the panels there is no point.
    EXPECT_FALSE(TrendPainter::PointAt(layout, chart, QPoint(layout.main.left() - 30, layout.main.center().y())));
}

TEST_F(ArchiveWindowTest, AMissingArchiveIsNamedAndNothingIsCreated)
{
    const std::string missing = TestEnv::TempDir() + "/no-archive-here.sqlite";
    CArchiveWindow window(Archive::ParseArchiveLocation(Platform::FromUtf8(missing)));
    EXPECT_EQ(window.Model()->rowCount(), 0);
    bool named = false;
    for (QLabel* label : window.findChildren<QLabel*>())
        named = named || label->text().contains(QStringLiteral("no-archive-here.sqlite"));
    EXPECT_TRUE(named);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

} // namespace
