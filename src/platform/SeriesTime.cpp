// SPDX-License-Identifier: GPL-3.0-or-later
// Series time stamps: wall-clock seconds since 2000-01-01 00:00:00.
//
// The conversion is plain calendar arithmetic.  Going through the C
// library's local time (mktime of 1 January 2000 with daylight saving off,
// adding the stamp, and taking an hour off when the result falls into
// daylight saving) gives the same text for most stamps but not for all: the
// hour after the spring change shows an hour early, a stamp in the last
// hour before the autumn change shows an hour late (mktime cannot tell which
// pass of the repeated hour is meant), and zones whose standard offset
// differs from that of January 2000 are off for every stamp.
#include "platform/DateTimeFormat.h"

#include "platform/CivilTime.h"

namespace Platform {

namespace {

constexpr int64_t kSeriesEpoch = 946684800;   // 2000-01-01 00:00:00 counted from 1970

} // namespace

std::tm SeriesTimeToLocal(uint32_t seconds)
{
    const Civil::Fields f = Civil::FieldsFromSeconds(kSeriesEpoch + seconds);
    std::tm tm{};
    tm.tm_year = static_cast<int>(f.year - 1900);
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_wday = f.weekday;
    tm.tm_yday = f.yearDay;
    tm.tm_isdst = -1;
    return tm;
}

uint32_t LocalToSeriesTime(const std::tm& local)
{
    const int64_t seconds = Civil::SecondsFromTm(local) - kSeriesEpoch;
    if (seconds < 0)
        return 0;
    if (seconds > 0xFFFFFFFFLL)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(seconds);
}

std::u16string FormatSeriesDateTime(uint32_t seconds, uint32_t dtFormat)
{
    const std::tm tm = SeriesTimeToLocal(seconds);
    return FormatDatePicture(GetDatePicture(dtFormat), tm) + u" " + FormatTimePicture(GetTimePicture(dtFormat), tm);
}

} // namespace Platform
