// SPDX-License-Identifier: GPL-3.0-or-later
// The series dialogs: limit (inverted track bar, clamping, the stored
// byte), time adjust (offsets across daylight-saving changes), comment
// (caret, line breaks) and series not added.
#include <gtest/gtest.h>

#include <QLayout>

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>
#include <QTimeEdit>

#include <cstdlib>
#include <ctime>
#include <string>

#include "ViewTestSupport.h"
#include "data/PaperDoc.h"
#include "platform/DateTimeFormat.h"
#include "views/dialogs/CommentDlg.h"
#include "views/dialogs/DateTimeDlg.h"
#include "views/dialogs/DialogSupport.h"
#include "views/dialogs/LimitDlg.h"
#include "support/TimeSupport.h"
#include "views/dialogs/LimitEditor.h"
#include "views/dialogs/SeriesNotAddedDlg.h"
#include "views/ViewSettings.h"

namespace {

uint32_t Stamp(int year, int month, int day, int hour, int minute, int second = 0)
{
    return Platform::LocalToSeriesTime(TestEnv::WallTime(year, month, day, hour, minute, second));
}

// Runs the time dialog from `from` to a new date and time; returns the offset.
int64_t Adjust(uint32_t from, const QDate& date, const QTime& time)
{
    CDateTimeDlg dialog;
    dialog.SetOldTime(from);
    dialog.SetNewTime(from);
    dialog.DatePicker()->setDate(date);
    dialog.TimePicker()->setTime(time);
    dialog.accept();
    return dialog.GetOffset();
}

} // namespace

TEST(ViewDialog, LimitTextIsClampedToTheRange)
{
    EXPECT_EQ(CLimitDlg::ParseValue("150", 0, 100), 100);
    EXPECT_EQ(CLimitDlg::ParseValue("-5", 0, 100), 0);
    EXPECT_EQ(CLimitDlg::ParseValue("abc", 0, 100), 0);
    EXPECT_EQ(CLimitDlg::ParseValue("", 10, 100), 10);
    EXPECT_EQ(CLimitDlg::ParseValue("  42abc", 0, 100), 42);
    EXPECT_EQ(CLimitDlg::ParseValue("+7", 0, 100), 7);
    EXPECT_EQ(CLimitDlg::ParseValue("99999999999999999999", 0, 100), 100);
    EXPECT_EQ(CLimitDlg::ParseValue("-99999999999999999999", 0, 100), 0);
}

TEST(ViewDialog, LimitTrackBarIsInvertedAndFollowsTheEdit)
{
    ViewTest::EnsureApplication();
    CLimitDlg dialog;
    dialog.Set(false, 0, 100, 100);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Upper limit"));
    EXPECT_EQ(dialog.findChild<QLabel*>("ctl2070")->text(), QStringLiteral("Upper limit"));
    EXPECT_EQ(dialog.findChild<QLabel*>("ctl2071")->text(), QStringLiteral("100"));
    EXPECT_EQ(dialog.findChild<QLabel*>("ctl2072")->text(), QStringLiteral("0"));
    // 100 puts the thumb at the top: position 0 of an inverted bar.
    EXPECT_EQ(dialog.Slider()->value(), 0);
    EXPECT_TRUE(dialog.Slider()->invertedAppearance());
    EXPECT_EQ(dialog.Edit()->text(), QStringLiteral("100"));

    dialog.Edit()->setText(QStringLiteral("30"));
    EXPECT_EQ(dialog.Slider()->value(), 70);
    dialog.Slider()->setValue(25);
    EXPECT_EQ(dialog.Edit()->text(), QStringLiteral("75"));
    // Text outside the range moves the thumb to the end but stays as typed.
    dialog.Edit()->setText(QStringLiteral("150"));
    EXPECT_EQ(dialog.Slider()->value(), 0);
    EXPECT_EQ(dialog.Edit()->text(), QStringLiteral("150"));
    dialog.accept();
    EXPECT_EQ(dialog.GetValue(), 100);

    CLimitDlg lower;
    lower.Set(true, 0, 100, 40);
    lower.Edit()->setText(QStringLiteral("abc"));
    lower.accept();
    EXPECT_EQ(lower.GetValue(), 0);
}

TEST(ViewDialog, LimitEditorStoresHalfStepsAndKeepsUnchangedLimits)
{
    ViewTest::EnsureApplication();
    CPaperDoc doc;
    ViewTest::Load(doc, {ViewTest::MakeSeries("A", 1, {90}, 0, 200), ViewTest::MakeSeries("B", 2, {90}, 75, 121),
                         ViewTest::MakeSeries("C", 3, {90}, 80, 120)});
    // Upper byte 200 opens at 100 with the thumb at the top; OK stores 200.
    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) {
        EXPECT_EQ(d->Edit()->text(), QStringLiteral("100"));
        EXPECT_EQ(d->Slider()->value(), 0);
        d->accept();
    });
    EXPECT_TRUE(LimitEditor::Edit(nullptr, doc, {0}, false));
    EXPECT_EQ(doc.GetUpperLimit(0), 200);

    // Lower 75 (37.5 Q) shows 37; OK without a change keeps 37.5.
    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) { d->accept(); });
    EXPECT_TRUE(LimitEditor::Edit(nullptr, doc, {1}, true));
    EXPECT_EQ(doc.GetLowerLimit(1), 75);

    // A new value goes to every series, doubled; Cancel changes nothing.
    LimitEditor::Store(doc, {1, 2}, false, 55);
    EXPECT_EQ(doc.GetUpperLimit(1), 110);
    EXPECT_EQ(doc.GetUpperLimit(2), 110);
    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) {
        d->Edit()->setText(QStringLiteral("10"));
        d->reject();
    });
    EXPECT_FALSE(LimitEditor::Edit(nullptr, doc, {1, 2}, false));
    EXPECT_EQ(doc.GetUpperLimit(2), 110);
    // The preset comes from the last series.
    ViewTest::WhenModal<CLimitDlg>([](CLimitDlg* d) {
        EXPECT_EQ(d->Edit()->text(), QStringLiteral("40"));
        d->reject();
    });
    LimitEditor::Edit(nullptr, doc, {1, 2}, true);
}

TEST(ViewDialog, TimeOffsetIsTheWallClockDifferenceAcrossDaylightSaving)
{
    ViewTest::EnsureApplication();
    TestEnv::CScopedTimeZone zone("Europe/Berlin");
    // Winter to summer (clocks went forward in the night to 28 March 2021).
    const uint32_t winter = Stamp(2021, 3, 27, 12, 0);
    EXPECT_EQ(Adjust(winter, QDate(2021, 3, 28), QTime(12, 0)), 86400);
    // Summer to winter (back in the night to 31 October 2021).
    const uint32_t summer = Stamp(2021, 10, 30, 12, 0);
    EXPECT_EQ(Adjust(summer, QDate(2021, 10, 31), QTime(12, 0)), 86400);
    // Both on the same side: plain difference.
    EXPECT_EQ(Adjust(winter, QDate(2021, 3, 27), QTime(13, 30, 15)), 5415);
    // The hour skipped in spring can be picked and keeps its clock time.
    const uint32_t midnight = Stamp(2021, 3, 28, 0, 0);
    EXPECT_EQ(Adjust(midnight, QDate(2021, 3, 28), QTime(2, 30)), 9000);
    // Moving back is negative.
    EXPECT_EQ(Adjust(summer, QDate(2021, 10, 29), QTime(12, 0)), -86400);
}

TEST(ViewDialog, TimeDialogShowsTheOldStampWithSeconds)
{
    ViewTest::EnsureApplication();
    CDateTimeDlg dialog;
    const uint32_t stamp = Stamp(2026, 11, 23, 18, 40, 5);
    dialog.SetOldTime(stamp);
    dialog.SetNewTime(stamp);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Adjust time"));
    EXPECT_TRUE(dialog.OldDateEdit()->isReadOnly());
    EXPECT_EQ(dialog.OldDateEdit()->text(), QStringLiteral("11/23/2026"));
    EXPECT_EQ(dialog.OldTimeEdit()->text(), QStringLiteral("6:40:05 PM"));
    EXPECT_EQ(dialog.DatePicker()->date(), QDate(2026, 11, 23));
    EXPECT_EQ(dialog.TimePicker()->time(), QTime(18, 40, 5));
    // OK without a change: offset 0; Cancel leaves the offset at 0 too.
    dialog.accept();
    EXPECT_EQ(dialog.GetOffset(), 0);
}

TEST(ViewDialog, PicturesBecomeQtFormats)
{
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"MM/dd/yyyy"), QStringLiteral("MM/dd/yyyy"));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"dd.MM.yyyy"), QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"h:mm tt"), QStringLiteral("h:mm AP"));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"h:mmt"), QStringLiteral("h:mmAP"));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"HH:mm"), QStringLiteral("HH:mm"));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"d MMMM y gg"), QStringLiteral("d MMMM yy "));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"'at' H 'o''clock'"), QStringLiteral("'at' H 'o''clock'"));
    EXPECT_EQ(ViewSettings::PictureToQtFormat(u"H x"), QStringLiteral("H 'x'"));
    EXPECT_EQ(ViewSettings::WithSeconds(u"h:mm tt"), u"h:mm:ss tt");
}

TEST(ViewDialog, CommentKeepsLineBreaksAndPutsTheCaretAtTheEnd)
{
    ViewTest::EnsureApplication();
    CCommentDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Please enter a comment"));
    const std::u16string text = u"Edge damaged.\r\nChecked \"twice\".";
    dialog.SetText(text);
    int caret = -1;
    ViewTest::WhenModal<CCommentDlg>([&](CCommentDlg* d) {
        caret = d->Edit()->textCursor().position();
        EXPECT_TRUE(d->Edit()->hasFocus() || QApplication::focusWidget() == d->Edit());
        d->accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(caret, dialog.Edit()->toPlainText().size());
    EXPECT_EQ(dialog.GetText(), text);
    EXPECT_EQ(dialog.Edit()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST(ViewDialog, NotAddedDialogReportsItsBox)
{
    ViewTest::EnsureApplication();
    CSeriesNotAddedDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Series not added to summary ..."));
    EXPECT_FALSE(dialog.IsDoNotShowTicked());
    dialog.findChild<QCheckBox*>("ctl2022")->setChecked(true);
    EXPECT_TRUE(dialog.IsDoNotShowTicked());
}

TEST(ViewDialog, DialogsTakeTheSizeOfTheirTemplates)
{
    ViewTest::EnsureApplication();
    auto expectTemplate = [](QDialog& dialog, int width, int height) {
        const QSize units = DialogSupport::FromDialogUnits(&dialog, width, height);
        EXPECT_GE(dialog.width(), units.width()) << dialog.windowTitle().toStdString();
        EXPECT_GE(dialog.height(), units.height()) << dialog.windowTitle().toStdString();
        // Taller only as far as the layout needs at the dialog's width (a
        // wrapped text needs more than the layout's minimum tells).
        const int needed = dialog.layout() != nullptr && dialog.layout()->hasHeightForWidth()
                               ? dialog.layout()->totalHeightForWidth(dialog.width())
                               : dialog.minimumSizeHint().height();
        EXPECT_LE(dialog.height(), std::max({units.height(), dialog.minimumSizeHint().height(), needed}) + 1);
    };
    CLimitDlg limit;
    expectTemplate(limit, 109, 192);
    // Placing the dialog next to the clicked item keeps that size: the
    // track bar stays as long as the template has it.
    LimitEditor::PlaceNear(&limit, QRect(100, 100, 80, 20));
    expectTemplate(limit, 109, 192);
    limit.show();
    ViewTest::ProcessEvents();
    expectTemplate(limit, 109, 192);
    EXPECT_GT(limit.findChild<QSlider*>()->height(), limit.height() / 2);

    CCommentDlg comment;
    expectTemplate(comment, 306, 107);
    CDateTimeDlg time;
    expectTemplate(time, 263, 108);
    CSeriesNotAddedDlg notAdded;
    EXPECT_GE(notAdded.width(), DialogSupport::FromDialogUnits(&notAdded, 215, 88).width());
}
