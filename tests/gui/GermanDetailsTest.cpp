// SPDX-License-Identifier: GPL-3.0-or-later
// Details the German texts showed: the connection wizard's note keeps the
// indent of its points on wrapped lines, both wizard pages carry the same
// header (title and line), and the graph and the summary call the
// measurement order alike.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <string>

#include "ViewTestSupport.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "views/connection/DevSelectSheet.h"

namespace {

class CSilentPrompt : public IPrompt {
public:
    void ShowMessage(int, const std::u16string&) override {}
    Answer AskYesNoCancel(const std::u16string&) override { return answerCancel; }
};

class GermanDetails : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        Platform::SetLanguageStrings(Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)));
    }
    void TearDown() override { Platform::SetLanguageStrings(nullptr); }
};

TEST_F(GermanDetails, GraphAndSummaryCallTheMeasurementOrderAlike)
{
    // The graph's link and the summary's order link.
    EXPECT_EQ(Platform::LoadString(44123), Platform::LoadString(47030));
    EXPECT_EQ(Platform::LoadString(44123), u"[Messreihenfolge]");
}

TEST_F(GermanDetails, WrappedPointsOfTheNoteKeepTheirIndent)
{
    const QString html = CPortSelectPage::NoteHtml(
        QStringLiteral("Hinweis:"),
        {QStringLiteral("Es werden nur Kommunikationsarten angezeigt, die das Gerät unterstützt."),
         QStringLiteral("USB-Geräte werden möglicherweise als seriell angezeigt.")},
        30);
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setHtml(html);
    document.setTextWidth(180);   // narrow: both points wrap
    document.documentLayout();    // lays the document out
    int block = 0;
    int wrapped = 0;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next(), ++block) {
        QTextLayout* layout = b.layout();
        ASSERT_NE(layout, nullptr);
        const double left = document.documentLayout()->blockBoundingRect(b).left();
        for (int k = 0; k < layout->lineCount(); ++k) {
            const double x = left + layout->lineAt(k).x();
            if (block == 0)
                EXPECT_LT(x, 1.0);
            else
                EXPECT_GE(x, 29.0) << "point " << block << " line " << k;
        }
        if (block > 0 && layout->lineCount() > 1)
            ++wrapped;
    }
    EXPECT_EQ(block, 3);
    EXPECT_EQ(wrapped, 2);
}

TEST_F(GermanDetails, BothWizardPagesHaveTheSameHeader)
{
    CConnWizardSettings settings;
    CSilentPrompt prompt;
    CDevSelectSheet sheet(settings, prompt, SWizardStart{});
    EXPECT_FALSE(sheet.PortPage()->title().isEmpty());
    EXPECT_FALSE(sheet.PortPage()->subTitle().isEmpty());
    EXPECT_FALSE(sheet.ResultPage()->title().isEmpty());
    EXPECT_FALSE(sheet.ResultPage()->subTitle().isEmpty());
    EXPECT_EQ(sheet.ResultPage()->subTitle().toStdU16String(), Platform::LoadString(57010));
}

} // namespace
