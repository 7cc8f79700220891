// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include "platform/DateTimeFormat.h"
#include "platform/StringTable.h"
#include "support/TimeSupport.h"

using namespace Platform;
using TestEnv::WallTime;

TEST(DateTimePictures, SettingPicksPicturesAndTheirIds)
{
    uint32_t dateId = 0;
    uint32_t timeId = 0;
    EXPECT_EQ(GetDatePicture(0, &dateId), u"MM/dd/yyyy");
    EXPECT_EQ(GetTimePicture(0, &timeId), u"h:mm tt");
    EXPECT_EQ(dateId, 1850u);
    EXPECT_EQ(timeId, 1854u);

    EXPECT_EQ(GetDatePicture(0x0302, &dateId), u"dd.MM.yyyy");
    EXPECT_EQ(GetTimePicture(0x0302, &timeId), u"H:mm");
    EXPECT_EQ(dateId, 1853u);
    EXPECT_EQ(timeId, 1856u);

    // Indexes beyond 3 mean 0; bits above 15 are not looked at.
    EXPECT_EQ(GetDatePicture(0x0407), u"MM/dd/yyyy");
    EXPECT_EQ(GetTimePicture(0x0407), u"h:mm tt");
    EXPECT_EQ(GetDatePicture(0x7F0103), u"dd-MM-yyyy");
    EXPECT_EQ(GetTimePicture(0x7F0103), u"HH:mm");
    EXPECT_EQ(GetDatePicture(0x0200), u"dd/MM/yyyy");
    EXPECT_EQ(GetTimePicture(0x0001), u"h:mmt");
    EXPECT_EQ(GetTimePicture(0x0104), u"h:mm tt");

    // Loaded on every call: a language change shows at once.
    auto table = std::make_shared<StringMap>();
    (*table)[1853] = u"yyyy-MM-dd";
    SetLanguageStrings(table);
    EXPECT_EQ(GetDatePicture(0x0302), u"yyyy-MM-dd");
    SetLanguageStrings(nullptr);
    EXPECT_EQ(GetDatePicture(0x0302), u"dd.MM.yyyy");
}

TEST(DateTimePictures, TheEightPictures)
{
    const std::tm morning = WallTime(2021, 3, 7, 9, 5, 3);
    EXPECT_EQ(FormatDatePicture(u"MM/dd/yyyy", morning), u"03/07/2021");
    EXPECT_EQ(FormatDatePicture(u"dd-MM-yyyy", morning), u"07-03-2021");
    EXPECT_EQ(FormatDatePicture(u"dd/MM/yyyy", morning), u"07/03/2021");
    EXPECT_EQ(FormatDatePicture(u"dd.MM.yyyy", morning), u"07.03.2021");

    struct Case {
        int hour, minute;
        const char16_t* h_mm_tt;
        const char16_t* h_mmt;
        const char16_t* H_mm;
        const char16_t* HH_mm;
    };
    const Case cases[] = {
        {9, 5, u"9:05 AM", u"9:05A", u"9:05", u"09:05"},
        {0, 30, u"12:30 AM", u"12:30A", u"0:30", u"00:30"},
        {12, 0, u"12:00 PM", u"12:00P", u"12:00", u"12:00"},
        {13, 45, u"1:45 PM", u"1:45P", u"13:45", u"13:45"},
        {23, 59, u"11:59 PM", u"11:59P", u"23:59", u"23:59"},
    };
    for (const Case& c : cases) {
        const std::tm tm = WallTime(2021, 3, 7, c.hour, c.minute);
        EXPECT_EQ(FormatTimePicture(u"h:mm tt", tm), c.h_mm_tt);
        EXPECT_EQ(FormatTimePicture(u"h:mmt", tm), c.h_mmt);
        EXPECT_EQ(FormatTimePicture(u"H:mm", tm), c.H_mm);
        EXPECT_EQ(FormatTimePicture(u"HH:mm", tm), c.HH_mm);
    }
}

TEST(DateTimePictures, PictureSyntax)
{
    const std::tm tm = WallTime(2009, 1, 4, 7, 8, 9);   // a Sunday
    EXPECT_EQ(FormatDatePicture(u"d M y", tm), u"4 1 9");
    EXPECT_EQ(FormatDatePicture(u"dd MM yy", tm), u"04 01 09");
    EXPECT_EQ(FormatDatePicture(u"ddd, MMM yyy", tm), u"Sun, Jan 2009");
    EXPECT_EQ(FormatDatePicture(u"dddd d MMMM yyyy gg", tm), u"Sunday 4 January 2009 A.D.");
    EXPECT_EQ(FormatDatePicture(u"ddddd MMMMM yyyyy", tm), u"Sunday January 2009");
    EXPECT_EQ(FormatTimePicture(u"hh:mm:ss tt", tm), u"07:08:09 AM");
    EXPECT_EQ(FormatTimePicture(u"h m s t", tm), u"7 8 9 A");
    EXPECT_EQ(FormatTimePicture(u"HHH:mmm", tm), u"07:08");

    // Quoted literals, doubled quotes, and letters of the other kind.
    EXPECT_EQ(FormatTimePicture(u"h 'o''clock' tt", tm), u"7 o'clock AM");
    EXPECT_EQ(FormatDatePicture(u"'day' d 'of' MMMM", tm), u"day 4 of January");
    EXPECT_EQ(FormatDatePicture(u"d 'unterminated MM", tm), u"4 unterminated MM");
    EXPECT_EQ(FormatDatePicture(u"d h:mm", tm), u"4 h:mm");
    EXPECT_EQ(FormatTimePicture(u"H dd", tm), u"7 dd");
    EXPECT_EQ(FormatDatePicture(u"", tm), u"");

    // Out-of-range fields carry over; the weekday comes from the date.
    std::tm odd = WallTime(2021, 4, 31);
    odd.tm_wday = 3;
    EXPECT_EQ(FormatDatePicture(u"dddd dd.MM.yyyy", odd), u"Saturday 01.05.2021");
    EXPECT_EQ(FormatDatePicture(u"dd.MM.yyyy", WallTime(2020, 13, 1)), u"01.01.2021");
    EXPECT_EQ(FormatDatePicture(u"dd.MM.yyyy", WallTime(2020, 3, 0)), u"29.02.2020");

    // Results are cut to 31 characters.
    const std::u16string longText = FormatDatePicture(u"dddd dddd dddd dddd", WallTime(2021, 3, 10));
    EXPECT_EQ(longText, u"Wednesday Wednesday Wednesday W");
    EXPECT_EQ(FormatTimePicture(u"'0123456789012345678901234567890123456789'", tm).size(), 31u);
    EXPECT_EQ(FormatTimePicture(u"'012345678901234567890123456789\U0001F600'", tm).size(), 30u);
}
