// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of brelmora-cli; each returns the process exit code.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace Cli {

int InfoCommand(const std::vector<std::string>& args);
int ExportCommand(const std::vector<std::string>& args);
int VersionCommand(const std::vector<std::string>& args);
// The instrument commands (Device*Command.cpp).
int DownloadCommand(const std::vector<std::string>& args);
int IdentifyCommand(const std::vector<std::string>& args);
int DeleteAllCommand(const std::vector<std::string>& args);
int NamesCommand(const std::vector<std::string>& args);
int OptionCommand(const std::vector<std::string>& args);
int SearchCommand(const std::vector<std::string>& args);
// The update commands (Update*Command.cpp, FirmwareCheckCommand.cpp).
int UpdateCheckCommand(const std::vector<std::string>& args);
int UpdateDownloadCommand(const std::vector<std::string>& args);
int FirmwareCheckCommand(const std::vector<std::string>& args);
// The lab archive (Archive*Command.cpp).
int ArchiveCommand(const std::vector<std::string>& args);
// Hands-free collection (Watch*.cpp).
int WatchCommand(const std::vector<std::string>& args);

// Prints the usage error for `command` ("... Try --help") and returns
// exitUsage.
int UsageError(const std::string& command);
// The same for an option `command` does not know.
int UnknownOption(const std::string& command, const std::string& option);
// The error for an argument `command` refused: an option that is not one of
// `known` is named, anything else (a known option used wrongly, a stray
// word) gets the usage error.
int BadArgument(const std::string& command, const std::string& argument,
                std::initializer_list<const char*> known);

} // namespace Cli
