#include "ArchiveCliSupport.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "ArchiveCliStrings.h"
#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "archive/ArchiveError.h"
#include "archive/SeriesState.h"
#include "data/PaperData.h"
#include "data/SeriesRecords.h"
#include "platform/DateTimeFormat.h"
#include "platform/Text.h"

namespace Cli {

namespace {

bool Allowed(std::initializer_list<const char*> allowed, const std::string& option)
{
    return option == "--archive" ||
           std::any_of(allowed.begin(), allowed.end(), [&](const char* a) { return option == a; });
}

int BadValue(const std::string& option, const std::string& text)
{
    PrintError("brelmora-cli", Platform::FormatU(Text(kBadValue).c_str(), option.c_str(), text.c_str()));
    return exitUsage;
}

bool Digits(const std::string& s, size_t pos, size_t n, int& value)
{
    if (pos + n > s.size())
        return false;
    value = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

} // namespace

std::optional<uint32_t> ParseLocalTime(const std::string& text, bool endOfDay)
{
    std::tm t{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2, month) ||
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
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return Platform::LocalToSeriesTime(t);
}

int ParseArchiveArgs(const std::string& command, const std::vector<std::string>& args,
                     std::initializer_list<const char*> allowed, SArchiveArgs& out)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-' || a == "-") {
            out.words.push_back(a);
            continue;
        }
        if (!Allowed(allowed, a))
            return UnknownOption(command, a);
        const auto value = [&](std::string& v) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--json") {
            out.json = true;
        } else if (a == "--csv") {
            out.csv = true;
        } else if (a == "--accept-damaged") {
            out.acceptDamaged = true;
        } else if (a == "--outside-limits") {
            out.filter.outsideLimitsOnly = true;
        } else if (!value(v)) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kOptionNeedsValue).c_str(), a.c_str()));
            return exitUsage;
        } else if (a == "--archive") {
            if (out.archive)
                return UsageError(command);
            out.archive = Platform::FromUtf8(v);
        } else if (a == "--roll") {
            out.filter.rollPattern = Platform::FromUtf8(v);
        } else if (a == "--serial") {
            out.filter.serial = Platform::FromUtf8(v);
        } else if (a == "--from" || a == "--to") {
            const std::optional<uint32_t> t = ParseLocalTime(v, a == "--to");
            if (!t) {
                PrintError("brelmora-cli", Platform::FormatU(Text(kBadDate).c_str(), a.c_str(), v.c_str()));
                return exitUsage;
            }
            (a == "--from" ? out.filter.from : out.filter.to) = *t;
        } else if (a == "--cov-above") {
            double d = 0;
            const auto r = std::from_chars(v.data(), v.data() + v.size(), d);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || !(d >= 0) || d > 1e6)
                return BadValue(a, v);
            out.filter.covAbove = d;
        } else if (a == "--limit") {
            const std::optional<uint32_t> n = ParseNumber(v);
            if (!n || *n == 0)
                return BadValue(a, v);
            out.filter.limit = *n;
        } else {
            return UnknownOption(command, a);
        }
    }
    if (out.json && out.csv)
        return UsageError(command);
    return exitOk;
}

int ArchiveFailure(const Archive::CArchiveError& error)
{
    PrintError("brelmora-cli", error.Text());
    return exitArchive;
}

std::unique_ptr<Archive::CLabArchive> OpenArchive(const std::optional<std::u16string>& given,
                                                  Archive::CLabArchive::EMode mode)
{
    try {
        return Archive::CLabArchive::Open(Archive::ResolveArchiveLocation(given), mode);
    } catch (const Archive::CArchiveError& e) {
        ArchiveFailure(e);
        return nullptr;
    }
}

} // namespace Cli
