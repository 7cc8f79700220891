// SPDX-License-Identifier: GPL-3.0-or-later
// File > Archive...: the archive window, one per main frame, on the archive
// of the settings (or the demo's own archive in the demo mode).
#pragma once

#include <optional>
#include <string>

class CPaperDoc;
class QWidget;

namespace ArchiveWindowCommand {

// Shows the window (raised when it is open already); its Open and Add to
// project fill `doc`, the main frame's document.
void Show(QWidget* mainFrame, CPaperDoc* doc);

// The archive address used instead of the setting for this process (the
// demo's temporary archive); none: the setting or the default.
void SetProcessArchive(const std::optional<std::u16string>& address);
std::optional<std::u16string> ProcessArchive();

} // namespace ArchiveWindowCommand
