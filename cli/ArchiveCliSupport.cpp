// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveCliSupport.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "ArchiveCliStrings.h"
#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "archive/ArchiveError.h"
#include "archive/FilterOptions.h"
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

} // namespace

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
            const std::optional<uint32_t> t = Archive::ParseFilterTime(v, a == "--to");
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
