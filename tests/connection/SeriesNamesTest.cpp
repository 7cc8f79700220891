// SPDX-License-Identifier: GPL-3.0-or-later
// The series names model against the simulated Veltrano: every change is
// written at once and read back, so each case checks the instrument's list.
#ifdef BRELMORA_HAVE_SIM

#include "ConnectionTestSupport.h"

#include "connection/PaperConnection.h"
#include "connection/SeriesNames.h"
#include "streamio/IoStream.h"

using namespace ConnectionTest;

namespace {

class CRecordingView : public ISeriesNamesView {
public:
    void OnNamesChanged() override { ++changes; }
    void FlashRows(const std::vector<int>& rows, int pauseMs) override
    {
        flashed.push_back(rows);
        pauses.push_back(pauseMs);
    }
    void ShowMessage(int kind, const std::u16string& text) override { messages.push_back(text); }

    int changes = 0;
    std::vector<std::vector<int>> flashed;
    std::vector<int> pauses;
    std::vector<std::u16string> messages;
};

std::vector<std::string> Numbered(int count, const char* stem = "Name ")
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i)
        names.push_back(stem + std::to_string(i));
    return names;
}

class SeriesNames : public SimulatedLine {
protected:
    void SetUp() override { StreamIO::Initialize(); }
    void TearDown() override
    {
        model.reset();
        connection.reset();
        SimulatedLine::TearDown();
        StreamIO::Shutdown();
    }
    // Starts the instrument with `names` and opens the model on it.
    void Open(std::vector<std::string> names)
    {
        Start("", 2, std::move(names));
        connection = std::make_unique<CPaperConnection>(ui);
        connection->SetWizardSettingsKey(std::u16string());
        model = std::make_unique<CSeriesNamesModel>(*connection, &view);
        ASSERT_TRUE(model->Open());
        ClearLog();
    }
    std::vector<std::string> Names() const { return instrument->GetNames(); }

    CScriptedUi ui;
    CRecordingView view;
    std::unique_ptr<CPaperConnection> connection;
    std::unique_ptr<CSeriesNamesModel> model;
};

} // namespace

TEST_F(SeriesNames, OpeningReadsTheListAndUndoIsDisabled)
{
    ASSERT_NO_FATAL_FAILURE(Open({"PM1 NP 001", "PM2 LWC"}));
    EXPECT_EQ(model->GetText(1), u"PM1 NP 001");
    EXPECT_EQ(model->GetText(2), u"PM2 LWC");
    EXPECT_TRUE(model->HoldsName(2));
    EXPECT_FALSE(model->HoldsName(3));
    EXPECT_EQ(model->GetHistory().size(), 50u);
    EXPECT_FALSE(model->CanUndo());
    EXPECT_FALSE(model->Undo());
    EXPECT_TRUE(Log().empty());   // nothing sent

    // Without an instrument the dialog does not open.
    CScriptedUi noInstrument;
    noInstrument.wizard = [](CConnWizardSettings&) { return std::unique_ptr<Device::CVnDevice>(); };
    CPaperConnection none(noInstrument);
    none.SetWizardSettingsKey(std::u16string());
    CSeriesNamesModel closed(none, nullptr);
    EXPECT_FALSE(closed.Open());
}

TEST_F(SeriesNames, WithFiftyNamesInsertShowsTheMessageAndChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(Numbered(50)));
    EXPECT_TRUE(model->IsFull());
    EXPECT_FALSE(model->Insert());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], u"There are already 50 series names. Delete at least one before inserting a new one.");
    EXPECT_EQ(Names(), Numbered(50));
    EXPECT_FALSE(Logged("insert name"));
}

TEST_F(SeriesNames, InsertAtTheFocusOrTheFirstEmptyRow)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B"}));
    model->SetFocusRow(1);
    ASSERT_TRUE(model->Insert());
    EXPECT_EQ(Names(), (std::vector<std::string>{"<empty>", "A", "B"}));
    EXPECT_EQ(model->GetFocusRow(), 1);
    EXPECT_EQ(view.flashed.back(), std::vector<int>{1});
    EXPECT_EQ(view.pauses.back(), 100);
    model->SetFocusRow(0);
    ASSERT_TRUE(model->Insert(u"C"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"<empty>", "A", "B", "C"}));
    EXPECT_EQ(model->GetFocusRow(), 4);
}

TEST_F(SeriesNames, ClearingTheLastNameClearsItsSlotByMask)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C"}));
    ASSERT_TRUE(model->EndEdit(3, u""));
    EXPECT_TRUE(Logged("delete names, mask FFFFFFFFFFFFFFFC"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(model->HoldsName(3));

    // An emptied row with names after it is left as the instrument has it.
    ClearLog();
    ASSERT_TRUE(model->EndEdit(1, u""));
    EXPECT_FALSE(Logged("delete names"));
    EXPECT_FALSE(Logged("write name"));
    EXPECT_EQ(model->GetText(1), u"A");
}

TEST_F(SeriesNames, ANameTypedBelowTheEndMovesUpToTheFirstEmptyRow)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C"}));
    int stored = 0;
    ASSERT_TRUE(model->EndEdit(10, u"Wickler 3", &stored));
    EXPECT_EQ(stored, 4);
    EXPECT_TRUE(Logged("write name 3 \"Wickler 3\""));
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "C", "Wickler 3"}));
    EXPECT_EQ(model->GetText(4), u"Wickler 3");
    EXPECT_TRUE(model->GetText(10).empty());
    EXPECT_EQ(view.flashed.back(), std::vector<int>{10});
}

TEST_F(SeriesNames, PasteWritesConsecutiveRowsUpToRowFifty)
{
    ASSERT_NO_FATAL_FAILURE(Open(Numbered(47)));
    model->SetFocusRow(48);
    ASSERT_TRUE(model->Paste(u"L1\r\nL2  \nL3\nL4\nL5"));
    std::vector<std::string> expected = Numbered(47);
    expected.insert(expected.end(), {"L1", "L2", "L3"});
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(view.pauses.back(), 30);
    EXPECT_FALSE(Logged("\"L4\""));
    EXPECT_EQ(model->GetHistory().size(), 4u * 50u);   // opening and three read-backs
}

TEST_F(SeriesNames, AFinalLineBreakOfPastedTextDoesNotClearTheNextName)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C"}));
    ASSERT_TRUE(model->Paste(u"X\nY\n"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"X", "Y", "C"}));
    EXPECT_EQ(CSeriesNamesModel::PasteLines(u"a\n\nb \t\r\n"), (std::vector<std::u16string>{u"a", u"", u"b"}));
}

// The instrument keeps one byte per character: "€" would come back as "¬".
TEST_F(SeriesNames, NamesTheInstrumentCannotStoreAreRefused)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B"}));
    EXPECT_TRUE(CSeriesNamesModel::IsStorable(u"Größe 5 µm"));
    EXPECT_FALSE(model->EndEdit(2, u"Preis 5 \u20AC"));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], u"The series name \"Preis 5 \u20AC\" cannot be stored on the Veltrano: it keeps only the "
                                u"characters of Western European languages (up to U+00FF). The name was not written.");
    EXPECT_EQ(model->GetText(2), u"B");

    // A paste is checked whole before anything is written; lines beyond
    // row 50 are not taken and not checked.
    model->SetFocusRow(1);
    EXPECT_FALSE(model->Paste(u"X\nY\n\u0416"));
    EXPECT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(Log().empty());
    model->SetFocusRow(50);
    EXPECT_TRUE(model->Paste(u"Z\n\u0416"));
    EXPECT_TRUE(Logged("write name 49 \"Z\""));
    EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(SeriesNames, DeleteByMaskMovesTheFocusUp)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C", "D", "E"}));
    model->SetFocusRow(5);
    ASSERT_TRUE(model->Delete({2, 3}));
    EXPECT_TRUE(Logged("delete names, mask 0000000000000006"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "D", "E"}));
    EXPECT_EQ(model->GetFocusRow(), 3);
    EXPECT_EQ(view.flashed.back(), (std::vector<int>{2, 3}));
    EXPECT_EQ(model->CopyText({1, 3}), u"A\r\nE");
}

TEST_F(SeriesNames, UndoPutsTheLastStateBack)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B", "C"}));
    ASSERT_TRUE(model->Delete({2}));
    ASSERT_TRUE(model->EndEdit(1, u"Z"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Z", "C"}));
    EXPECT_TRUE(model->CanUndo());
    ASSERT_TRUE(model->Undo());
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "C"}));
    ASSERT_TRUE(model->Undo());
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(model->CanUndo());   // back at the state of opening
    ClearLog();
    EXPECT_FALSE(model->Undo());
    EXPECT_TRUE(Log().empty());
}

TEST_F(SeriesNames, ALostInstrumentLeavesTheRowsAsTheyWere)
{
    ASSERT_NO_FATAL_FAILURE(Open({"A", "B"}));
    ui.wizard = [](CConnWizardSettings&) { return std::unique_ptr<Device::CVnDevice>(); };
    StopSim();
    EXPECT_FALSE(model->EndEdit(3, u"C"));
    EXPECT_EQ(ui.wizardRuns, 2);   // the forced check found it gone
    EXPECT_EQ(model->GetText(1), u"A");
    EXPECT_EQ(model->GetText(2), u"B");
    EXPECT_NE(model->GetLastFailure(), Device::ELinkFailure::None);
    EXPECT_FALSE(model->Paste(u"X"));   // skipped: no instrument
    EXPECT_EQ(model->GetText(1), u"A");
}

#endif // BRELMORA_HAVE_SIM
