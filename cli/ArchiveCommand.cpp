// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive SUBCOMMAND ...: the lab archive (import, find,
// history, export, stats, check).  Each subcommand lives in its own file.
#include <string>
#include <vector>

#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "Commands.h"

namespace Cli {

int ArchiveCommand(const std::vector<std::string>& args)
{
    if (args.empty())
        return UsageError("archive");
    const std::string& sub = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (sub == "import")
        return ArchiveImportCommand(rest);
    if (sub == "find")
        return ArchiveFindCommand(rest);
    if (sub == "history")
        return ArchiveHistoryCommand(rest);
    if (sub == "export")
        return ArchiveExportCommand(rest);
    if (sub == "stats")
        return ArchiveStatsCommand(rest);
    if (sub == "check")
        return ArchiveCheckCommand(rest);
    if (sub == "trend")
        return ArchiveTrendCommand(rest);
    return UsageError("archive");
}

} // namespace Cli
