// SPDX-License-Identifier: GPL-3.0-or-later
// A message about a file as a line for standard error: "<file>: <text>",
// unless the message's first line names the file already.  The desktop
// program's window-less modes and the command line print messages this way.
#pragma once

#include <string>

namespace Platform {

std::string FileMessageLine(const std::string& file, const std::u16string& text);

} // namespace Platform
