// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/TrendCsv.h"

#include <charconv>

#include "data/SpreadsheetExport.h"
#include "platform/Text.h"

namespace Archive {

const char* const kTrendCsvHeader = "archiveId,dateTimeLocal,rollId,mean,minimum,maximum,covPercent,movingRange,"
                                    "centreLine,lowerControlLimit,upperControlLimit,rule";

namespace {

// Fixed decimals with a dot, never the locale's comma; empty when unset.
std::string Fixed(const std::optional<double>& value, int decimals)
{
    if (!value)
        return std::string();
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return std::string();
    std::string text(buffer, result.ptr);
    // "-0.000" reads as a sign that is not there.
    if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-')
        text.erase(0, 1);
    return text;
}

} // namespace

std::string EncodeTrendCsv(const STrendChart& chart)
{
    std::string out = kTrendCsvHeader;
    out += "\r\n";
    for (const STrendPoint& p : chart.points) {
        out += std::to_string(p.archiveId);
        out += ',';
        out += SpreadsheetExport::IsoDateTime(p.dateTime);
        out += ',';
        out += SpreadsheetExport::QuoteField(Platform::ToUtf8(p.rollId));
        for (const std::optional<double>& v :
             {std::optional<double>(p.mean), std::optional<double>(p.minimum), std::optional<double>(p.maximum)}) {
            out += ',';
            out += Fixed(v, 3);
        }
        out += ',';
        out += Fixed(p.covPercent, 3);
        out += ',';
        out += Fixed(p.movingRange, 3);
        out += ',';
        out += Fixed(chart.centreLine, 3);
        out += ',';
        out += Fixed(chart.lowerControlLimit, 3);
        out += ',';
        out += Fixed(chart.upperControlLimit, 3);
        out += ',';
        out += TrendRule(p);
        out += "\r\n";
    }
    return out;
}

} // namespace Archive
