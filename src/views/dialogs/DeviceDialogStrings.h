// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the series names manager and the device options
// dialog (resources/strings/en/devicedialogs.txt).
#pragma once

#include <cstdint>

namespace DeviceDialogStrings {

// Series names manager.
constexpr uint32_t kNamesCaption = 44300;       // "Series names manager"
constexpr uint32_t kNamesStatic = 44301;        // "Series names stored on Veltrano:"
constexpr uint32_t kNamesHeader = 44302;        // "Series names"
constexpr uint32_t kDeleteButton = 44303;
constexpr uint32_t kInsertButton = 44304;
constexpr uint32_t kUndoButton = 44305;
constexpr uint32_t kCloseButton = 44306;
constexpr uint32_t kMenuCut = 44307;            // "Cut\tCtrl+X"
constexpr uint32_t kMenuCopy = 44308;
constexpr uint32_t kMenuPaste = 44309;
constexpr uint32_t kMenuDelete = 44310;
constexpr uint32_t kMarkStoredTip = 44311;
constexpr uint32_t kMarkWritingTip = 44312;
constexpr uint32_t kMarkNoNameTip = 44313;

// Device options.
constexpr uint32_t kOptionsCaption = 44320;     // "Device options"
constexpr uint32_t kOptionText = 44321;         // "Store invalid measurements as zero"
constexpr uint32_t kOptionsClose = 44322;
constexpr uint32_t kOptionNotSupported = 59587; // "This option is not supported ..."

} // namespace DeviceDialogStrings
