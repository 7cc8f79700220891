// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's file dialogs open: in the folder of the current
// project, else in the folder last used in any file dialog (remembered in
// the settings as "LastFolder"), else in the user's home folder.  Folders
// that no longer exist are skipped.
#pragma once

#include <string>

namespace Platform {

// The folder a file dialog opens in; `projectPath` is the current project's
// file (empty when it has none).
std::u16string DialogStartFolder(const std::u16string& projectPath);

// Remembers the folder of `chosenPath`, a file the user picked in a dialog.
void RememberDialogFolder(const std::u16string& chosenPath);

} // namespace Platform
