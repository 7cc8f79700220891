// SPDX-License-Identifier: GPL-3.0-or-later
// Settings the views read: the "DTFormat" value (date and time pictures) of
// the settings key, and the pictures converted for Qt's date and time edits.
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

namespace ViewSettings {

// "DTFormat" under "Software\Vantor\Brelmora\Settings"; 0 when absent.
uint32_t DtFormat();

// A date or time picture (the Windows picture syntax of the settings) as a
// display format of QDateTimeEdit: d..dddd, M..MMMM, yy/yyyy, h/hh, H/HH,
// m/mm, s/ss and t/tt (as AP); quoted text is kept, other letters are
// quoted, eras are dropped.
QString PictureToQtFormat(std::u16string_view picture);

// The time picture with the seconds shown: "mm" becomes "mm:ss".
std::u16string WithSeconds(std::u16string picture);

} // namespace ViewSettings
