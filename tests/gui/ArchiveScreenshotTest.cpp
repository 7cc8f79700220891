// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots of the archive window and the trend chart for the
// documentation (docs/screenshots, see scripts/screenshots): English,
// German, dark and at twice the size.  Runs only when
// BRELMORA_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTableView>

#include <cstdlib>
#include <string>

#include "ScreenshotPalette.h"
#include "ViewTestSupport.h"
#include "archive/LabArchive.h"
#include "data/PaperDoc.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "views/archive/ArchiveHistoryDlg.h"
#include "views/archive/ArchiveWindow.h"
#include "views/trend/TrendChartView.h"
#include "views/trend/TrendPicture.h"

namespace {

class ViewScreenshotArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("BRELMORA_SCREENSHOT_DIR");
        if (dir == nullptr || *dir == '\0')
            GTEST_SKIP() << "BRELMORA_SCREENSHOT_DIR is not set";
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
        // The sample project twice over three weeks, the second run drifting up.
        m_archive = TestEnv::TempDir() + "/screenshot-archive" + m_suffix + ".sqlite";
        auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(m_archive)),
                                                  Archive::CLabArchive::EMode::Write);
        std::vector<DataTest::Series>& list = m_list;
        for (int i = 0; i < 60; ++i) {
            const uint8_t base = static_cast<uint8_t>(90 + (i * 7) % 9 + (i > 40 ? (i - 40) / 2 : 0));
            list.push_back(ViewTest::MakeSeries("PM3-" + std::to_string(4700 + i), static_cast<uint16_t>(i + 1),
                                                ViewTest::Values(10 + i % 3 * 5, base, 4 + (i % 11 == 5 ? 8 : 0)),
                                                80, 120, 848000000u + static_cast<uint32_t>(i) * 30000));
        }
        CPaperDoc doc;
        ViewTest::Load(doc, list);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
    }
    void TearDown() override { Platform::SetLanguageStrings(nullptr); }

    std::string m_dir, m_suffix, m_archive;
    std::vector<DataTest::Series> m_list;
};

TEST_F(ViewScreenshotArchive, WindowAndTrendChart)
{
    CArchiveWindow window(Archive::ParseArchiveLocation(Platform::FromUtf8(m_archive)));
    window.resize(1200, 860);
    window.show();
    QElapsedTimer timer;
    timer.start();
    while (window.TrendPending() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    ASSERT_FALSE(window.TrendPending());
    window.Table()->resizeColumnsToContents();
    window.Table()->selectRow(45);
    ViewTest::ProcessEvents();
    const QString path = QString::fromStdString(m_dir + "/archive-window" + m_suffix + ".png");
    ASSERT_TRUE(window.grab().save(path)) << path.toStdString();
    const QString trend = QString::fromStdString(m_dir + "/trend-chart" + m_suffix + ".png");
    ASSERT_TRUE(TrendPicture::Image(window.Trend()->Chart(), window.Trend()->Style()).save(trend));
}

TEST_F(ViewScreenshotArchive, HistoryDialog)
{
    // One roll edited twice after its download: roll ID and comment, then the limits.
    {
        auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(m_archive)),
                                                  Archive::CLabArchive::EMode::Write);
        CPaperDoc doc;
        ViewTest::Load(doc, m_list);
        doc.SetRollId(3, u"PM3-4703A");
        doc.SetComment(3, u"Winder 2, retested");
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::FileSource(u"/lab/PM3-week49.vnr", {1, 2, 3}));
        doc.SetLowerLimit(3, 84);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::FileSource(u"/lab/PM3-week49.vnr", {4, 5, 6}));
    }
    CArchiveWindow window(Archive::ParseArchiveLocation(Platform::FromUtf8(m_archive)));
    QDialog* shown = nullptr;
    QObject::connect(&window, &CArchiveWindow::historyShown, [&shown](QDialog* d) { shown = d; });
    window.Table()->selectRow(3);
    window.ShowHistory();
    auto* dialog = qobject_cast<CArchiveHistoryDlg*>(shown);
    ASSERT_NE(dialog, nullptr);
    dialog->resize(1250, 230);
    ViewTest::ProcessEvents();
    const QString path = QString::fromStdString(m_dir + "/archive-history" + m_suffix + ".png");
    ASSERT_TRUE(dialog->grab().save(path)) << path.toStdString();
    dialog->close();
}

} // namespace
