// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CivilTime.h"

namespace Platform::Civil {

namespace {

// Division rounding towards minus infinity.
int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

} // namespace

int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int64_t SecondsFromTm(const std::tm& tm)
{
    int64_t year = static_cast<int64_t>(tm.tm_year) + 1900;
    int64_t month = tm.tm_mon;
    year += FloorDiv(month, 12);
    month -= FloorDiv(month, 12) * 12;
    const int64_t days = DaysFromCivil(year, static_cast<int>(month) + 1, 1) + (static_cast<int64_t>(tm.tm_mday) - 1);
    return days * 86400 + static_cast<int64_t>(tm.tm_hour) * 3600 + static_cast<int64_t>(tm.tm_min) * 60 + tm.tm_sec;
}

Fields FieldsFromSeconds(int64_t seconds)
{
    Fields f;
    const int64_t days = FloorDiv(seconds, 86400);
    const int64_t rest = seconds - days * 86400;
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest / 60 % 60);
    f.second = static_cast<int>(rest % 60);

    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    f.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.year = yearOfEra + era * 400 + (f.month <= 2 ? 1 : 0);
    f.weekday = static_cast<int>(days - FloorDiv(days + 4, 7) * 7 + 4) % 7;
    f.yearDay = static_cast<int>(days - DaysFromCivil(f.year, 1, 1));
    return f;
}

} // namespace Platform::Civil
