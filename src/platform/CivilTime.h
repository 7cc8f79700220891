// SPDX-License-Identifier: GPL-3.0-or-later
// Calendar arithmetic on broken-down times, free of time zones: the
// proleptic Gregorian calendar with every day 86400 seconds long.
#pragma once

#include <cstdint>
#include <ctime>

namespace Platform::Civil {

struct Fields {
    int64_t year = 1970;
    int month = 1;     // 1..12
    int day = 1;       // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;   // 0 = Sunday
    int yearDay = 0;   // 0..365
};

// Days since 1970-01-01 of a date (month 1..12, day 1..31).
int64_t DaysFromCivil(int64_t year, int month, int day);

// Seconds since 1970-01-01 00:00:00 of the fields of `tm`, read as a
// calendar time: fields out of range carry over (month 13 is January of the
// next year, 31 April is 1 May).  tm_isdst, tm_wday and tm_yday are ignored.
int64_t SecondsFromTm(const std::tm& tm);

// The calendar fields of a count of seconds since 1970-01-01 00:00:00.
Fields FieldsFromSeconds(int64_t seconds);

} // namespace Platform::Civil
