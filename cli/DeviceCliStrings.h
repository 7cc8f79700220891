// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the instrument commands of brelmora-cli (48100-48199),
// and the fixed ids they use.
#pragma once

#include <cstdint>

namespace Cli {

// Messages the instrument commands share.
constexpr uint32_t kBadPort = 48100;            // %s: the text given
constexpr uint32_t kDeleteNeedsYes = 48101;
constexpr uint32_t kInfoBlockIncomplete = 48102;
constexpr uint32_t kSeriesCutShort = 48103;
constexpr uint32_t kDownloadSaved = 48104;      // %d: series, %s: file
constexpr uint32_t kDownloadProgress = 48105;   // %d: percent
constexpr uint32_t kDeviceMissing = 48106;
constexpr uint32_t kDeviceWithoutComPort = 48107;
constexpr uint32_t kCannotReach = 48108;        // %s: the cause

// Series names.
constexpr uint32_t kNamesEmpty = 48110;
constexpr uint32_t kNameCut = 48112;            // %s: given, %s: stored
constexpr uint32_t kNameNotLatin1 = 48113;      // %s: the text
constexpr uint32_t kBadSlot = 48114;            // %s: the text
constexpr uint32_t kNameMovedUp = 48115;        // %d: the slot used
constexpr uint32_t kNameEmpty = 48116;
constexpr uint32_t kNamesChangeMade = 48117;
constexpr uint32_t kNamesChangeNotMade = 48118;
constexpr uint32_t kNamesChangeUnclear = 48119;
constexpr uint32_t kNamesStateUnknown = 48124;
constexpr uint32_t kRemoteOffUnanswered = 48125;

// The instrument option.
constexpr uint32_t kOptionName = 48120;         // "Store invalid measurements as zero"
constexpr uint32_t kOptionOn = 48121;
constexpr uint32_t kOptionOff = 48122;
constexpr uint32_t kOptionLine = 48123;         // %s: name, %s: state
constexpr uint32_t kOptionNotSupported = 59587;

} // namespace Cli
