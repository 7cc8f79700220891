// SPDX-License-Identifier: GPL-3.0-or-later
// The connection driver when the series data do not parse whole: the
// document keeps what was read, stays marked as changed, and the front end
// is told the download was incomplete with the count of series read.
#ifdef BRELMORA_HAVE_SIM

#include "ConnectionTestSupport.h"

#include "connection/PaperConnection.h"
#include "data/PaperDoc.h"
#include "streamio/IoStream.h"

using namespace ConnectionTest;

namespace {

class PaperConnectionDamage : public SimulatedLine {
protected:
    void SetUp() override { StreamIO::Initialize(); }
    void TearDown() override
    {
        SimulatedLine::TearDown();
        StreamIO::Shutdown();
    }
};

} // namespace

TEST_F(PaperConnectionDamage, AnIncompleteSeriesStreamIsSaidWithTheCountRead)
{
    Start("cut-series");
    CScriptedUi ui;
    CPaperConnection connection(ui);
    CPaperDoc doc;
    const SDownloadReport r = connection.DownloadSeries(doc);
    ASSERT_EQ(r.result, EDownloadResult::Ok);
    EXPECT_FALSE(r.parsedWhole);
    EXPECT_EQ(doc.GetCurrent().GetCount(), 12);   // the last one without its last impact
    EXPECT_TRUE(doc.HasChangeMark());
    ASSERT_EQ(ui.prompt.messages.size(), 1u);
    EXPECT_EQ(ui.prompt.messages[0].kind, IPrompt::messageWarning);
    EXPECT_EQ(ui.prompt.messages[0].text,
              u"The download was incomplete: the series data did not come whole. 12 measurement series were read.");

    Start("garbled-series");
    ui.prompt.messages.clear();
    CPaperDoc garbledDoc;
    const SDownloadReport garbled = connection.DownloadSeries(garbledDoc);
    ASSERT_EQ(garbled.result, EDownloadResult::Ok);
    EXPECT_FALSE(garbled.parsedWhole);
    EXPECT_EQ(garbledDoc.GetCurrent().GetCount(), 1);
    EXPECT_TRUE(garbledDoc.HasChangeMark());
    ASSERT_EQ(ui.prompt.messages.size(), 1u);
    EXPECT_NE(ui.prompt.messages[0].text.find(u" 1 measurement series were read."), std::u16string::npos);

    // A whole stream says nothing.
    Start();
    ui.prompt.messages.clear();
    CPaperDoc wholeDoc;
    EXPECT_TRUE(connection.DownloadSeries(wholeDoc).parsedWhole);
    EXPECT_TRUE(ui.prompt.messages.empty());
}

#endif // BRELMORA_HAVE_SIM
