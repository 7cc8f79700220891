// SPDX-License-Identifier: GPL-3.0-or-later
// What a user sees while the series table works: the status field painted
// with "Updating: n" while the table fills and "Expanding: n" while the
// rows expand (the loops hold the event loop), and expand all keeping the
// row that was at the top in view.
#include <gtest/gtest.h>

#include <QLabel>

#include <memory>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "app/BrelmoraApp.h"
#include "app/MainFrame.h"
#include "data/PaperDoc.h"
#include "gui/AppTestSupport.h"
#include "views/table/TabGrid.h"

using namespace AppTest;

namespace {

std::vector<DataTest::Series> ManySeries(int count)
{
    std::vector<DataTest::Series> series;
    for (int k = 0; k < count; ++k) {
        char id[16];
        std::snprintf(id, sizeof id, "P-%05d", k);
        series.push_back(ViewTest::MakeSeries(id, static_cast<uint16_t>(k), ViewTest::Values(5 + k % 7, 90)));
    }
    return series;
}

// Collects the texts the status field shows when it is painted.
class CPaintedTexts : public QObject {
public:
    explicit CPaintedTexts(QLabel* label) : m_label(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint)
            texts.push_back(m_label->text());
        return false;
    }
    // Painted texts "<caption> n": how many, and whether every n is a
    // multiple of `every`.
    int Count(const QString& caption, int every, bool& steps) const
    {
        int count = 0;
        steps = true;
        for (const QString& text : texts) {
            if (!text.startsWith(caption + QChar(' ')))
                continue;
            ++count;
            const int n = text.mid(caption.size() + 1).toInt();
            steps = steps && n > 0 && n % every == 0;
        }
        return count;
    }
    std::vector<QString> texts;

private:
    QLabel* m_label;
};

class TableProgress : public CShellTest {
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        m_dir = std::make_unique<CProgramFolder>("progress");
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(m_dir->Program());
        m_app->ReadSettings();
        m_app->LoadLanguageLibrary();
        m_frame = std::make_unique<CMainFrame>(*m_app);
        m_frame->resize(1000, 700);
        m_frame->show();
        ViewTest::ProcessEvents();
        page = m_frame->findChild<CTabGrid*>();
        label = m_frame->findChild<QLabel*>(QStringLiteral("StatusField"));
        ASSERT_NE(page, nullptr);
        ASSERT_NE(label, nullptr);
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        m_dir.reset();
        CShellTest::TearDown();
    }

    std::unique_ptr<CProgramFolder> m_dir;
    std::unique_ptr<CBrelmoraApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
    CTabGrid* page = nullptr;
    QLabel* label = nullptr;
};

TEST_F(TableProgress, FillAndExpandAllPaintTheirProgressInTheStatusField)
{
    CPaintedTexts painted(label);
    ViewTest::Load(m_frame->GetDocument(), ManySeries(1500));
    page->FlushPendingRefill();
    bool steps = false;
    EXPECT_GE(painted.Count(QStringLiteral("Updating:"), 31, steps), 1);
    EXPECT_TRUE(steps);

    // From the context menu: queued, so the menu is gone before the loop.
    painted.texts.clear();
    page->PostExpandAll(true);
    EXPECT_FALSE(m_frame->GetDocument().GetExpanded(0));
    ViewTest::ProcessEvents();
    EXPECT_TRUE(m_frame->GetDocument().GetExpanded(1499));
    EXPECT_GE(painted.Count(QStringLiteral("Expanding:"), 11, steps), 1);
    EXPECT_TRUE(steps);
    // Afterwards the field shows the counts again.
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Selected objects: 0"))) << label->text().toStdString();
}

TEST_F(TableProgress, ExpandAllKeepsTheTopRowInView)
{
    ViewTest::Load(m_frame->GetDocument(), ManySeries(400));
    page->FlushPendingRefill();
    CGridCtrl* grid = page->Grid();
    grid->SetTopRow(CTabGrid::ValueRow(120));
    ASSERT_EQ(grid->GetTopRow(), CTabGrid::ValueRow(120));
    page->ExpandAll(true);
    EXPECT_EQ(grid->GetTopRow(), CTabGrid::ValueRow(120));
    // A detail row at the top that closes leaves its series row there.
    grid->SetTopRow(CTabGrid::DetailRow(200));
    page->ExpandAll(false);
    EXPECT_EQ(grid->GetTopRow(), CTabGrid::ValueRow(200));
    page->ExpandAll(true);
    EXPECT_EQ(grid->GetTopRow(), CTabGrid::ValueRow(200));
}

} // namespace
