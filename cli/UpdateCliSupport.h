// SPDX-License-Identifier: GPL-3.0-or-later
// What the update commands share: the "--server URL" option, which
// overrides the configured download server for one run, and the report of
// a failed FTP step.
#pragma once

#include <string>
#include <vector>

#include "update/UpdateServer.h"

namespace Cli {

// Takes "--server URL" out of `args`.  Returns exitOk with the server in
// `server` (the configured one without the option), or exitUsage after
// printing why for `command`.
int TakeServerOption(const std::string& command, std::vector<std::string>& args, Update::SFtpServer& server);

// Prints `text` on standard error, naming the server; returns exitUpdate.
int ReportUpdateFailure(const Update::SFtpServer& server, const std::u16string& text);

// Prints a text of the string table on standard output, its line ends made
// plain "\n".
void PrintLine(const std::u16string& text);

} // namespace Cli
