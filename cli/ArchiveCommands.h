// SPDX-License-Identifier: GPL-3.0-or-later
// The archive subcommands (Archive*Command.cpp) and the download's archive
// step (ArchiveDownload.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

class CPaperDoc;

namespace Cli {

int ArchiveImportCommand(const std::vector<std::string>& args);
int ArchiveFindCommand(const std::vector<std::string>& args);
int ArchiveHistoryCommand(const std::vector<std::string>& args);
int ArchiveExportCommand(const std::vector<std::string>& args);
int ArchiveStatsCommand(const std::vector<std::string>& args);
int ArchiveCheckCommand(const std::vector<std::string>& args);
int ArchiveTrendCommand(const std::vector<std::string>& args);

// Archives a downloaded (and already saved) document; exitOk, or
// exitArchive after the message.  `archive` empty: the setting or default.
// Before the download: the address parses (no password in it); false
// after the message.
bool CheckArchiveAddress(const std::optional<std::string>& archive);
int ArchiveDownloadedSeries(const CPaperDoc& doc, const std::string& port, const std::optional<std::string>& archive);

} // namespace Cli
