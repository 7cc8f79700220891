// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive trend [FILTERS] [--limit N] [--csv]: the control
// chart of the found series' means.  --csv gives the chart's numbers, one
// row per shown series in chart order; without it one summary line.
#include <string>
#include <vector>

#include "ArchiveCliSupport.h"
#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "Commands.h"
#include "StandardOutput.h"
#include "TrendCliStrings.h"
#include "archive/ArchiveError.h"
#include "archive/TrendChart.h"
#include "archive/TrendCsv.h"
#include "platform/Text.h"

namespace Cli {

namespace {

std::string Number(const std::optional<double>& v)
{
    return v ? Platform::FormatA("%.3f", *v) : std::string("-");
}

} // namespace

int ArchiveTrendCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    std::initializer_list<const char*> allowed = {"--roll", "--serial", "--from", "--to", "--outside-limits",
                                                  "--cov-above", "--limit", "--csv"};
    if (const int rc = ParseArchiveArgs("archive trend", args, allowed, a))
        return rc;
    if (!a.words.empty())
        return BadArgument("archive trend", a.words.front(), allowed);
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Read);
    if (!archive)
        return exitArchive;
    Archive::STrendChart chart;
    try {
        chart = Archive::MakeTrendChart(archive->Find(a.filter, false));
    } catch (const Archive::CArchiveError& e) {
        return ArchiveFailure(e);
    }
    if (chart.leftOut > 0)
        PrintError("brelmora-cli", Platform::FormatU(Text(kTrendLeftOut).c_str(), chart.leftOut));
    if (a.csv) {
        const std::string csv = Archive::EncodeTrendCsv(chart);
        return WriteExport("-", std::vector<uint8_t>(csv.begin(), csv.end()));
    }
    if (chart.points.empty()) {
        PrintError("brelmora-cli", Text(kTrendNothing));
        return exitOk;
    }
    int beyond = 0, runs = 0;
    for (const Archive::STrendPoint& p : chart.points) {
        beyond += p.beyond ? 1 : 0;
        runs += p.run ? 1 : 0;
    }
    Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kTrendSummary).c_str(), static_cast<int>(chart.points.size()),
                                                   Number(chart.centreLine).c_str(),
                                                   Number(chart.lowerControlLimit).c_str(),
                                                   Number(chart.upperControlLimit).c_str(), beyond, runs))
                    .c_str());
    return exitOk;
}

} // namespace Cli
