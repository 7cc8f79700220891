// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the desktop program's connection wizard, progress
// window, instrument status field and demo mode
// (resources/strings/en/deskconnection.txt, own ids 52000-52999).
#pragma once

#include <cstdint>

namespace ConnectionViewStrings {

// Sheet buttons, each followed by its tooltip.
constexpr uint32_t kNext = 52000;
constexpr uint32_t kNextTip = 52001;
constexpr uint32_t kBack = 52002;
constexpr uint32_t kBackTip = 52003;
constexpr uint32_t kFinish = 52004;
constexpr uint32_t kFinishTip = 52005;
constexpr uint32_t kCancel = 52006;
constexpr uint32_t kCancelTip = 52007;

// Port page.
constexpr uint32_t kPortTitle = 52010;
constexpr uint32_t kPortHeading = 52011;
constexpr uint32_t kPortIntro = 52012;
constexpr uint32_t kPortNote = 52013;
constexpr uint32_t kPortNoteSupported = 52014;
constexpr uint32_t kPortNoteUsb = 52015;
constexpr uint32_t kSerialGroup = 52016;
constexpr uint32_t kScanBox = 52017;
constexpr uint32_t kComPortLabel = 52018;
constexpr uint32_t kEthernetGroup = 52019;
constexpr uint32_t kIpLabel = 52020;
constexpr uint32_t kStopAtFirstBox = 52021;
constexpr uint32_t kHelpButton = 52022;
constexpr uint32_t kKindTip = 52023;
constexpr uint32_t kScanTip = 52024;
constexpr uint32_t kComPortTip = 52025;
constexpr uint32_t kIpTip = 52026;
constexpr uint32_t kStopAtFirstTip = 52027;

// Search result page.
constexpr uint32_t kResultTitle = 52030;
constexpr uint32_t kStatusTip = 52031;
constexpr uint32_t kSelectLabel = 52032;
constexpr uint32_t kSelectTip = 52033;
constexpr uint32_t kInfoLabel = 52034;
constexpr uint32_t kInfoTip = 52035;
constexpr uint32_t kSearching = 52036;

// Progress window.
constexpr uint32_t kProgressCaption = 52040;
constexpr uint32_t kProgressText = 52041;
constexpr uint32_t kProgressBytes = 52042;   // %s received, %s total
constexpr uint32_t kProgressCancel = 52043;
constexpr uint32_t kProgressCancelTip = 52044;

// Status bar.
constexpr uint32_t kConnectedOn = 52050;     // %s serial number, %s port
constexpr uint32_t kConnected = 52051;       // %s serial number
constexpr uint32_t kNotConnected = 52052;
constexpr uint32_t kConnectionLost = 52053;

// Demo mode.
constexpr uint32_t kDemoTitle = 52060;
constexpr uint32_t kDemoFailed = 52061;      // %s: why
constexpr uint32_t kDemoNoPort = 52062;

// Command line.
constexpr uint32_t kUnknownOption = 52070;   // %s: the option
constexpr uint32_t kVersionLine = 52071;     // %s: the version
constexpr uint32_t kDemoWithOutput = 52072;  // %s: the other option
constexpr uint32_t kDemoOneProject = 52073;  // %s: the second file

// The result page's line under its title (the port page has one too).
constexpr uint32_t kResultHeading = 57010;

} // namespace ConnectionViewStrings
