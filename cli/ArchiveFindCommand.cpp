// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive find [FILTERS] [--limit N] [--json | --csv] and
// archive stats [FILTERS] [--json]: the newest state of every archived
// series that passes the filters, sorted by measurement time, and the
// summary of their means.  Text rows and statistics come from the values
// stored with each revision; only --json and --csv decode the series.
#include <string>
#include <vector>

#include "ArchiveCliStrings.h"
#include "ArchiveCliSupport.h"
#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "SeriesJson.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveProject.h"
#include "archive/SeriesState.h"
#include "data/PaperData.h"
#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "platform/Text.h"

namespace Cli {

namespace {

std::string Fixed(const std::optional<double>& v, int decimals)
{
    return v ? Platform::FormatA("%.*f", decimals, *v) : std::string("-");
}

// Pads by characters, so umlauts keep the columns.
std::string Pad(const std::string& text, size_t width)
{
    size_t chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++chars;
    return chars < width ? text + std::string(width - chars, ' ') : text + ' ';
}

void WriteOptional(CJsonWriter& json, const std::optional<double>& v, int decimals)
{
    if (v)
        json.Decimal(*v, decimals);
    else
        json.Null();
}

void PrintRows(const std::vector<Archive::SArchivedRevision>& found)
{
    Out("%s\n", Platform::ToUtf8(Text(kFindHeader)).c_str());
    for (const Archive::SArchivedRevision& r : found) {
        const bool withoutLimits = r.lowerLimit == 0 && r.upperLimit == 200;
        const std::string limits =
            withoutLimits ? Platform::ToUtf8(Text(kNoLimits))
                          : Platform::FormatA("%d-%d", SeriesPageText::LimitValue(r.lowerLimit),
                                              SeriesPageText::LimitValue(r.upperLimit));
        Out("%s%s%s%s%s%s%s%s%s%s%s%s%lld\n", Pad(std::to_string(r.measurementId), 7).c_str(),
            Pad(std::to_string(r.revision), 4).c_str(), Pad(SpreadsheetExport::IsoDateTime(r.dateTime), 20).c_str(),
            Pad(TerminalText(r.rollId), 16).c_str(), Pad(TerminalText(r.serial), 12).c_str(),
            Pad(std::to_string(r.impactCount), 5).c_str(), Pad(Fixed(r.mean, 2), 8).c_str(),
            Pad(Fixed(r.standardDeviation, 2), 7).c_str(), Pad(Fixed(r.covPercent, 1), 7).c_str(),
            Pad(Fixed(r.minimum, 1), 7).c_str(), Pad(Fixed(r.maximum, 1), 7).c_str(), Pad(limits, 10).c_str(),
            static_cast<long long>(r.outsideLimits));
    }
}

void PrintJson(const std::vector<Archive::SArchivedRevision>& found)
{
    CPaperData data;
    CJsonWriter json;
    json.BeginObject();
    json.Key("series");
    json.BeginArray();
    for (const Archive::SArchivedRevision& r : found) {
        data.Clear();
        if (!Archive::AppendRevision(data, r))
            continue;
        json.BeginObject();
        WriteSeriesFields(json, data, 0);
        json.Key("archiveId");
        json.Number(r.measurementId);
        json.Key("revision");
        json.Number(r.revision);
        json.Key("revisions");
        json.Number(r.revisions);
        json.Key("covPercent");
        WriteOptional(json, r.covPercent, 3);
        json.Key("outsideLimits");
        json.Number(r.outsideLimits);
        json.Key("source");
        json.String(r.source);
        json.Key("archivedAt");
        json.String(r.archivedAt);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    Out("%s\n", json.Text().c_str());
}

} // namespace

int ArchiveFindCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    std::initializer_list<const char*> allowed = {"--roll", "--serial", "--from", "--to", "--outside-limits",
                                                  "--cov-above", "--limit", "--json", "--csv"};
    if (const int rc = ParseArchiveArgs("archive find", args, allowed, a))
        return rc;
    if (!a.words.empty())
        return BadArgument("archive find", a.words.front(), allowed);
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Read);
    if (!archive)
        return exitArchive;
    try {
        const std::vector<Archive::SArchivedRevision> found = archive->Find(a.filter, a.json || a.csv);
        if (a.json) {
            PrintJson(found);
        } else if (a.csv) {
            CPaperData data;
            Archive::FillCollection(data, found);
            const std::string csv = SpreadsheetExport::Encode(data, SpreadsheetExport::ERows::Series);
            return WriteExport("-", std::vector<uint8_t>(csv.begin(), csv.end()));
        } else if (found.empty()) {
            PrintError("brelmora-cli", Text(kFindNothing));
        } else {
            PrintRows(found);
        }
    } catch (const Archive::CArchiveError& e) {
        return ArchiveFailure(e);
    }
    return exitOk;
}

int ArchiveStatsCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    std::initializer_list<const char*> allowed = {"--roll", "--serial", "--from", "--to", "--outside-limits",
                                                  "--cov-above", "--limit", "--json"};
    if (const int rc = ParseArchiveArgs("archive stats", args, allowed, a))
        return rc;
    if (!a.words.empty())
        return BadArgument("archive stats", a.words.front(), allowed);
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Read);
    if (!archive)
        return exitArchive;
    std::vector<Archive::SArchiveStats> stats;
    try {
        stats = archive->Stats(a.filter);
    } catch (const Archive::CArchiveError& e) {
        return ArchiveFailure(e);
    }
    if (a.json) {
        CJsonWriter json;
        json.BeginObject();
        json.Key("units");
        json.BeginArray();
        for (const Archive::SArchiveStats& s : stats) {
            json.BeginObject();
            json.Key("unit");
            json.String(s.unit);
            json.Key("count");
            json.Number(s.count);
            json.Key("mean");
            WriteOptional(json, s.mean, 3);
            json.Key("standardDeviation");
            WriteOptional(json, s.standardDeviation, 3);
            json.Key("covPercent");
            WriteOptional(json, s.covPercent, 3);
            json.Key("minimum");
            WriteOptional(json, s.minimum, 3);
            json.Key("maximum");
            WriteOptional(json, s.maximum, 3);
            json.Key("seriesOutsideLimits");
            json.Number(s.seriesOutsideLimits);
            json.Key("impactsOutsideLimits");
            json.Number(s.impactsOutsideLimits);
            json.Key("covAtLeast6");
            json.Number(s.covAtLeast6);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        Out("%s\n", json.Text().c_str());
        return exitOk;
    }
    if (stats.empty())
        PrintError("brelmora-cli", Text(kFindNothing));
    for (const Archive::SArchiveStats& s : stats) {
        Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kStatsLine).c_str(), s.unit.c_str(),
                                                       static_cast<long long>(s.count), Fixed(s.mean, 2).c_str(),
                                                       Fixed(s.standardDeviation, 2).c_str(),
                                                       Fixed(s.covPercent, 1).c_str(), Fixed(s.minimum, 2).c_str(),
                                                       Fixed(s.maximum, 2).c_str()))
                        .c_str());
        Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kStatsLimits).c_str(),
                                                       static_cast<long long>(s.seriesOutsideLimits),
                                                       static_cast<long long>(s.impactsOutsideLimits),
                                                       static_cast<long long>(s.covAtLeast6)))
                        .c_str());
    }
    return exitOk;
}

} // namespace Cli
