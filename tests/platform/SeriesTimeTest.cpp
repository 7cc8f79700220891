// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/DateTimeFormat.h"
#include "platform/Text.h"
#include "support/TimeSupport.h"

using namespace Platform;

namespace {

std::string Text(const std::tm& tm)
{
    return ToUtf8(FormatDatePicture(u"yyyy-MM-dd", tm) + u" " + FormatTimePicture(u"HH:mm:ss", tm));
}

// The conversion through the C library's local time: 1 January 2000 with
// daylight saving off as the base, an hour off when the two conversions
// back disagree.  It is what the stamps mean outside the changeover nights.
std::string ThroughLocalTime(uint32_t seconds)
{
    std::tm base{};
    base.tm_year = 100;
    base.tm_mday = 1;
    base.tm_isdst = 0;
    time_t t = mktime(&base) + seconds;
    std::tm local{};
    localtime_r(&t, &local);
    std::tm standard = local;
    std::tm automatic = local;
    standard.tm_isdst = 0;
    automatic.tm_isdst = -1;
    if (mktime(&standard) != mktime(&automatic))
        t -= 3600;
    localtime_r(&t, &local);
    return Text(local);
}

} // namespace

TEST(SeriesTime, KnownStampsAndLimits)
{
    const std::tm start = SeriesTimeToLocal(0);
    EXPECT_EQ(Text(start), "2000-01-01 00:00:00");
    EXPECT_EQ(start.tm_wday, 6);   // a Saturday
    EXPECT_EQ(start.tm_yday, 0);
    EXPECT_EQ(Text(SeriesTimeToLocal(31622400)), "2001-01-01 00:00:00");   // 2000 is a leap year
    EXPECT_EQ(Text(SeriesTimeToLocal(688959000)), "2021-10-31 01:30:00");
    EXPECT_EQ(Text(SeriesTimeToLocal(0xFFFFFFFFu)), "2136-02-07 06:28:15");

    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(2021, 10, 31, 1, 30)), 688959000u);
    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(2021, 10, 30, 25, 30)), 688959000u);   // carried over
    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(1999, 12, 31, 23, 59, 59)), 0u);
    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(2136, 2, 7, 6, 28, 15)), 0xFFFFFFFFu);
    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(2200, 1, 1, 0, 0)), 0xFFFFFFFFu);

    EXPECT_EQ(FormatSeriesDateTime(0, 0), u"01/01/2000 12:00 AM");
    EXPECT_EQ(FormatSeriesDateTime(688959000, 0x0302), u"31.10.2021 1:30");
    EXPECT_EQ(FormatSeriesDateTime(688959000 + 12 * 3600, 0x0101), u"31-10-2021 1:30P");
}

TEST(SeriesTime, WallClockSurvivesEveryZoneAndChangeover)
{
    // Both sides of both changes in Berlin (28 Mar / 31 Oct 2021) and New
    // York (14 Mar / 7 Nov 2021), the skipped and repeated hours, and a zone
    // whose offset changed after 2000.
    const std::tm walls[] = {
        TestEnv::WallTime(2021, 3, 28, 1, 59, 59), TestEnv::WallTime(2021, 3, 28, 2, 30), TestEnv::WallTime(2021, 3, 28, 3, 0),
        TestEnv::WallTime(2021, 10, 31, 1, 30),    TestEnv::WallTime(2021, 10, 31, 2, 30), TestEnv::WallTime(2021, 10, 31, 3, 0),
        TestEnv::WallTime(2021, 3, 14, 1, 59, 59), TestEnv::WallTime(2021, 3, 14, 2, 30), TestEnv::WallTime(2021, 3, 14, 3, 0),
        TestEnv::WallTime(2021, 11, 7, 0, 59, 59), TestEnv::WallTime(2021, 11, 7, 1, 30), TestEnv::WallTime(2021, 11, 7, 2, 0),
        TestEnv::WallTime(2012, 7, 1, 12, 0),      TestEnv::WallTime(2000, 1, 1, 0, 0),    TestEnv::WallTime(2036, 6, 30, 23, 59, 59),
    };
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Europe/Moscow"}) {
        TestEnv::CScopedTimeZone tz(zone);
        for (const std::tm& wall : walls) {
            const uint32_t stamp = LocalToSeriesTime(wall);
            EXPECT_EQ(Text(SeriesTimeToLocal(stamp)), Text(wall)) << zone;
        }
    }
}

TEST(SeriesTime, AgreesWithTheLocalTimeConversionAwayFromTheChangeovers)
{
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York"}) {
        TestEnv::CScopedTimeZone tz(zone);
        for (uint32_t s = LocalToSeriesTime(TestEnv::WallTime(2021, 1, 1, 0, 0)); s < LocalToSeriesTime(TestEnv::WallTime(2022, 1, 1, 0, 0));
             s += 37 * 60 + 11) {
            const std::tm wall = SeriesTimeToLocal(s);
            const bool changeoverNight = (wall.tm_mon == 2 && (wall.tm_mday == 28 || wall.tm_mday == 14)) ||
                                         (wall.tm_mon == 9 && wall.tm_mday == 31) ||
                                         (wall.tm_mon == 10 && wall.tm_mday == 7);
            if (changeoverNight && wall.tm_hour < 4)
                continue;
            ASSERT_EQ(Text(wall), ThroughLocalTime(s)) << zone;
        }
    }
}

TEST(SeriesTime, ChangeoverHoursShowWhatTheInstrumentRecorded)
{
    TestEnv::CScopedTimeZone tz("Europe/Berlin");
    // Recorded 01:30 in the night the clocks go back, and 02:30 in the night
    // they go forward: both show as recorded, where the conversion through
    // local time shows 02:30 and 01:30.
    const uint32_t autumn = LocalToSeriesTime(TestEnv::WallTime(2021, 10, 31, 1, 30));
    const uint32_t spring = LocalToSeriesTime(TestEnv::WallTime(2021, 3, 28, 2, 30));
    EXPECT_EQ(Text(SeriesTimeToLocal(autumn)), "2021-10-31 01:30:00");
    EXPECT_EQ(Text(SeriesTimeToLocal(spring)), "2021-03-28 02:30:00");
    // Both passes through the repeated hour have one count; an hour of wall
    // clock is 3600 s on either side of a change.
    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(2021, 10, 31, 3, 0)) - LocalToSeriesTime(TestEnv::WallTime(2021, 10, 31, 2, 0)), 3600u);
    EXPECT_EQ(LocalToSeriesTime(TestEnv::WallTime(2021, 3, 28, 3, 0)) - LocalToSeriesTime(TestEnv::WallTime(2021, 3, 28, 2, 0)), 3600u);
}
