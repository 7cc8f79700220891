// SPDX-License-Identifier: GPL-3.0-or-later
// Date and time pictures, and the time stamps of measurement series.
//
// The "DTFormat" setting picks one date picture (index in bits 8..15) and one
// time picture (bits 0..7) from the string table; indexes other than 1..3
// mean 0:
//
//   date 0 "MM/dd/yyyy" (1850)  1 "dd-MM-yyyy" (1851)  2 "dd/MM/yyyy" (1852)  3 "dd.MM.yyyy" (1853)
//   time 0 "h:mm tt"    (1854)  1 "h:mmt"      (1855)  2 "H:mm"       (1856)  3 "HH:mm"      (1857)
//
// Pictures use the Windows picture syntax and are formatted as under the
// invariant locale (English month and day names, "AM"/"PM").
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace Platform {

// The date picture chosen by `dtFormat`, loaded from the string table;
// `stringId`, when given, receives its string id.
std::u16string GetDatePicture(uint32_t dtFormat, uint32_t* stringId = nullptr);
// The time picture chosen by `dtFormat`.
std::u16string GetTimePicture(uint32_t dtFormat, uint32_t* stringId = nullptr);

// Formats a date with a date picture:
//   d dd     day of the month, without / with a leading zero
//   ddd dddd abbreviated / full day of the week ("Mon", "Monday")
//   M MM     month, without / with a leading zero
//   MMM MMMM abbreviated / full month name ("Jan", "January")
//   y        year without century, no leading zero
//   yy       year without century, two digits
//   yyy...   full year
//   g gg     era ("A.D.")
//   '...'    literal text ('' inside it is one quote); other characters
//            stand for themselves.
// Longer runs of a letter count as its longest form.  Fields out of range
// are carried over (31 April is 1 May) and the day of the week is computed
// from the date.  The result is cut to 31 characters.
std::u16string FormatDatePicture(std::u16string_view picture, const std::tm& tm);

// Formats a time with a time picture:
//   h hh     hour 1..12, without / with a leading zero
//   H HH     hour 0..23, without / with a leading zero
//   m mm     minute;  s ss  second
//   t tt     "A"/"P" and "AM"/"PM"
//   '...'    literal text, as for dates.
// The result is cut to 31 characters.
std::u16string FormatTimePicture(std::u16string_view picture, const std::tm& tm);

// Series time stamps: seconds since 2000-01-01 00:00:00 as the instrument's
// clock counts them.  The instrument's clock is set to the PC's wall-clock
// time and knows nothing of time zones or daylight saving, so the count is
// calendar arithmetic on wall-clock time (every day 86400 seconds) and
// converts back the same way, whatever the time zone: a stamp taken at 02:30
// on the night the clocks go forward shows 02:30, one taken at 01:30 in the
// night they go back shows 01:30, and a zone that has changed its offset
// since 2000 shows what the instrument recorded.

// The wall-clock time of a stamp; tm_wday and tm_yday are filled,
// tm_isdst is -1 (not known).
std::tm SeriesTimeToLocal(uint32_t seconds);

// The stamp of a wall-clock time (fields out of range are carried over, as
// mktime does).  Daylight saving plays no part: every wall-clock reading has
// its own count, including those of the hour skipped in spring, and both
// passes through the hour repeated in autumn give the same count, as on the
// instrument.  tm_isdst, tm_wday and tm_yday are ignored.  Times before
// 2000-01-01 give 0, times after 2136-02-07 06:28:15 give 0xFFFFFFFF.
uint32_t LocalToSeriesTime(const std::tm& local);

// Date text, one space, time text, with the pictures chosen by `dtFormat`.
std::u16string FormatSeriesDateTime(uint32_t seconds, uint32_t dtFormat);

} // namespace Platform
