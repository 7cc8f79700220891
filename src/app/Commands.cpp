// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Commands.h"

#include "app/AppStrings.h"
#include "platform/StringTable.h"
#include "views/PageInterface.h"

namespace Commands {

const std::vector<SCommand>& AllCommands()
{
    static const std::vector<SCommand> commands = {
        {ID_FILE_OPEN, 40110, "open"},
        {ID_FILE_CLOSE, 40111, "close"},
        {ID_FILE_SAVE, 40112, "save"},
        {ID_FILE_SAVE_AS, 40113, "saveas"},
        {ID_RESTORE_ORIGINAL, 40114, "restore"},
        {ID_EXPORT, 40115, "export"},
        {ID_ARCHIVE, 55201, "archive"},
        {ID_ADD_TO_ARCHIVE, 55202, nullptr},
        {ID_PRINT, 40116, "print"},
        {ID_PRINT_PREVIEW, 40119, nullptr},
        {ID_APP_SETTINGS, 40117, "settings"},
        {ID_APP_EXIT, 40118, nullptr},
        {ID_DOWNLOAD, 40120, "download"},
        {ID_DELETE_ALL, 40121, "deleteall"},
        {ID_SERIES_NAMES, 40122, "names"},
        {ID_DEVICE_OPTIONS, 40123, nullptr},
        {ID_UPGRADE, 40124, "upgrade"},
        {ID_DISCONNECT, 40125, "disconnect"},
        {ID_SELECT_ALL, 40130, nullptr},
        {ID_CUT, 40131, "cut"},
        {ID_COPY, 40132, "copy"},
        {ID_PASTE, 40133, "paste"},
        {ID_DELETE, 40134, "delete"},
        {ID_COPY_PICTURE, 40135, "picture"},
        {ID_CHECK_UPDATES, 40140, "update"},
        {ID_HELP, 40141, "help"},
        {ID_HELP_UPGRADE, 40142, nullptr},
        {ID_FEEDBACK, 40143, nullptr},
        {ID_ABOUT, 40144, "about"},
    };
    return commands;
}

const SCommand* Find(int id)
{
    for (const SCommand& command : AllCommands()) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

const std::vector<SMenuEntry>& MenuLayout()
{
    static const std::vector<SMenuEntry> layout = {
        {popupFile, ID_FILE_OPEN},
        {popupFile, ID_FILE_CLOSE},
        {popupFile, ID_FILE_SAVE},
        {popupFile, ID_FILE_SAVE_AS},
        {popupFile, 0},
        {popupFile, ID_RESTORE_ORIGINAL},
        {popupFile, 0},
        {popupFile, ID_ARCHIVE},
        {popupFile, ID_ADD_TO_ARCHIVE},
        {popupFile, ID_EXPORT},
        {popupFile, ID_PRINT},
        {popupFile, ID_PRINT_PREVIEW},
        {popupFile, 0},
        {popupFile, ID_APP_SETTINGS},
        {popupFile, 0},
        {popupFile, ID_APP_EXIT},
        {popupDevice, ID_DOWNLOAD},
        {popupDevice, ID_DELETE_ALL},
        {popupDevice, ID_DISCONNECT},
        {popupDevice, 0},
        {popupDevice, ID_SERIES_NAMES},
        {popupDevice, ID_DEVICE_OPTIONS},
        {popupDevice, 0},
        {popupDevice, ID_UPGRADE},
        {popupEdit, ID_SELECT_ALL},
        {popupEdit, 0},
        {popupEdit, ID_CUT},
        {popupEdit, ID_COPY},
        {popupEdit, ID_PASTE},
        {popupEdit, ID_DELETE},
        {popupEdit, 0},
        {popupEdit, ID_COPY_PICTURE},
        {popupHelp, ID_CHECK_UPDATES},
        {popupHelp, 0},
        {popupHelp, ID_HELP},
        {popupHelp, ID_HELP_UPGRADE},
        {popupHelp, 0},
        {popupHelp, ID_FEEDBACK},
        {popupHelp, 0},
        {popupHelp, ID_ABOUT},
    };
    return layout;
}

uint32_t PopupTitleId(int popup)
{
    switch (popup) {
    case popupFile: return AppStrings::kMenuFile;
    case popupDevice: return AppStrings::kMenuDevice;
    case popupEdit: return AppStrings::kMenuEdit;
    default: return AppStrings::kMenuHelp;
    }
}

const std::vector<int>& ToolBarLayout()
{
    static const std::vector<int> layout = {
        ID_FILE_OPEN, ID_FILE_SAVE, 0,
        ID_DOWNLOAD, ID_DISCONNECT, 0,
        ID_CUT, ID_COPY, ID_PASTE, ID_DELETE, 0,
        ID_COPY_PICTURE, ID_EXPORT, ID_PRINT, ID_ARCHIVE, 0,
        ID_HELP,
    };
    return layout;
}

std::u16string Prompt(int id)
{
    const std::u16string text = Platform::LoadString(static_cast<uint32_t>(id));
    return text.substr(0, text.find(u'\n'));
}

std::u16string ToolTip(int id)
{
    const std::u16string text = Platform::LoadString(static_cast<uint32_t>(id));
    const size_t newline = text.find(u'\n');
    return newline == std::u16string::npos ? text : text.substr(newline + 1);
}

int PageCommandOf(int id)
{
    switch (id) {
    case ID_PRINT: return IPage::cmdPrint;
    case ID_COPY: return IPage::cmdCopy;
    case ID_COPY_PICTURE: return IPage::cmdCopyPicture;
    case ID_PASTE: return IPage::cmdPaste;
    case ID_CUT: return IPage::cmdCut;
    case ID_DELETE: return IPage::cmdDelete;
    case ID_SELECT_ALL: return IPage::cmdSelectAll;
    default: return 0;
    }
}

} // namespace Commands
