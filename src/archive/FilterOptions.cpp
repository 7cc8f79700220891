// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/FilterOptions.h"

#include <charconv>
#include <ctime>

#include "platform/DateTimeFormat.h"
#include "platform/Text.h"

namespace Archive {

namespace {

bool Digits(const std::string& text, size_t at, size_t count, int& out)
{
    if (at + count > text.size())
        return false;
    out = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

template <typename T>
bool WholeNumber(const std::string& text, T& out)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && !text.empty();
}

} // namespace

bool IsFilterOption(const std::string& option)
{
    for (const char* name : {"--roll", "--serial", "--from", "--to", "--outside-limits", "--cov-above", "--limit"})
        if (option == name)
            return true;
    return false;
}

bool FilterOptionTakesValue(const std::string& option)
{
    return option != "--outside-limits";
}

EFilterOption ApplyFilterOption(const std::string& option, const std::string& value, SFindFilter& filter)
{
    if (option == "--outside-limits") {
        filter.outsideLimitsOnly = true;
    } else if (option == "--roll") {
        filter.rollPattern = Platform::FromUtf8(value);
    } else if (option == "--serial") {
        filter.serial = Platform::FromUtf8(value);
    } else if (option == "--from" || option == "--to") {
        const std::optional<uint32_t> t = ParseFilterTime(value, option == "--to");
        if (!t)
            return EFilterOption::BadValue;
        (option == "--from" ? filter.from : filter.to) = *t;
    } else if (option == "--cov-above") {
        double d = 0;
        if (!WholeNumber(value, d) || !(d >= 0) || d > 1e6)
            return EFilterOption::BadValue;
        filter.covAbove = d;
    } else if (option == "--limit") {
        int64_t n = 0;
        if (!WholeNumber(value, n) || n <= 0 || n > 0xFFFFFFFFLL)
            return EFilterOption::BadValue;
        filter.limit = n;
    } else {
        return EFilterOption::Unknown;
    }
    return EFilterOption::Applied;
}

std::optional<uint32_t> ParseFilterTime(const std::string& text, bool endOfDay)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() < 10 || !Digits(text, 0, 4, year) || text[4] != '-' || !Digits(text, 5, 2, month) ||
        text[7] != '-' || !Digits(text, 8, 2, day))
        return std::nullopt;
    if (text.size() == 10) {
        if (endOfDay)
            hour = 23, minute = 59, second = 59;
    } else {
        if ((text[10] != 'T' && text[10] != ' ') || text.size() < 16 || !Digits(text, 11, 2, hour) ||
            text[13] != ':' || !Digits(text, 14, 2, minute))
            return std::nullopt;
        if (text.size() == 16) {
            if (endOfDay)
                second = 59;
        } else if (text.size() != 19 || text[16] != ':' || !Digits(text, 17, 2, second)) {
            return std::nullopt;
        }
    }
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 2000 || year > 2135 || month < 1 || month > 12 || day < 1 ||
        day > (month == 2 && !leap ? 28 : kDays[month - 1]) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return Platform::LocalToSeriesTime(t);
}

} // namespace Archive
