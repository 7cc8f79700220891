// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame's commands: ids, menu texts, pictures, the menu's layout
// and the tool bar's.  The string of a command's id holds its status-bar
// prompt and, after a line break, its tool tip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Commands {

enum : int {
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 2010,
    ID_RESTORE_ORIGINAL = 2021,
    ID_EXPORT = 104,
    ID_PRINT = 105,
    ID_PRINT_PREVIEW = 40160,
    ID_APP_SETTINGS = 120,
    ID_APP_EXIT = 57665,
    ID_DOWNLOAD = 2026,
    ID_DELETE_ALL = 2017,
    ID_SERIES_NAMES = 2029,
    ID_DEVICE_OPTIONS = 2067,
    ID_UPGRADE = 108,
    ID_DISCONNECT = 122,
    ID_SELECT_ALL = 2028,
    ID_CUT = 2070,
    ID_COPY = 111,
    ID_PASTE = 2071,
    ID_DELETE = 2024,
    ID_COPY_PICTURE = 112,
    ID_CHECK_UPDATES = 2065,
    ID_HELP = 57670,
    ID_HELP_UPGRADE = 109,
    ID_FEEDBACK = 2108,
    ID_ABOUT = 57664,
    ID_UPDATE_PROGRAM = 59580,
    ID_ARCHIVE = 55200,   // the archive window (views/archive)
    ID_ADD_TO_ARCHIVE = 55203,
};

enum Popup { popupFile, popupDevice, popupEdit, popupHelp, popupCount };

struct SCommand {
    int id;
    uint32_t textId;     // menu text
    const char* icon;    // picture name, or null
};

// command 0 is a separator.
struct SMenuEntry {
    int popup;
    int command;
};

// Every command with a menu text (the update menu's item 59580 takes its
// text from the new version instead).
const std::vector<SCommand>& AllCommands();
const SCommand* Find(int id);

// The menu: File, Device, Edit, Help, each in the order of its commands.
const std::vector<SMenuEntry>& MenuLayout();
uint32_t PopupTitleId(int popup);

// The tool bar, left to right; 0 is a separator.
const std::vector<int>& ToolBarLayout();

// The lines of a command's string: the status-bar prompt and the tool tip
// (the prompt again when the string has a single line).
std::u16string Prompt(int id);
std::u16string ToolTip(int id);

// The page command (IPage::Command) a command passes to the active page,
// or 0 when it is not a page command.
int PageCommandOf(int id);

} // namespace Commands
