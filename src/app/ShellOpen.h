// SPDX-License-Identifier: GPL-3.0-or-later
// Opening help files and web pages with the desktop's programs.
#pragma once

#include <QUrl>
#include <functional>
#include <string>

namespace ShellOpen {

// The help file's path: "Pfad", the separator and the file name; the bare
// file name when "Pfad" is empty.
std::u16string HelpFilePath(const std::u16string& pfad, const std::u16string& fileName);

// Opens a help file without waiting.  A missing file or one no program
// opens gives a message and false.
bool OpenHelpFile(const std::u16string& pfad, const std::u16string& fileName);

// Opens a web address; when the desktop refuses, "xdg-open" is tried; when
// that fails too, a message names the address.
bool OpenWebPage(const std::u16string& address);

// Opens a local file (a downloaded installer) with the desktop's program;
// false when nothing could open it.  No message is shown.
bool OpenLocalFile(const std::u16string& path);

// Tests replace what opens an address (null restores the desktop's).
using Opener = std::function<bool(const QUrl& url)>;
void SetOpener(Opener opener);

} // namespace ShellOpen
