// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the connection layer (resources/strings/en/connection.txt,
// own ids 50000-50999) and the fixed ids it uses.
#pragma once

#include <cstdint>

namespace ConnectionStrings {

constexpr uint32_t kUpgradeSettingsKey = 603;     // "Software\\Vantor\\VnUpgrade\\Settings"
constexpr uint32_t kWizardCaption = 511;          // "Select and connect the device"

// The port kinds' names (id 50000 + the kind's bit) are named by the
// transport rows of streamio (STransport::kindText).

// Search result page.
constexpr uint32_t kSearchFound = 50010;
constexpr uint32_t kSearchNothing = 50011;
constexpr uint32_t kBadConnection = 50012;
constexpr uint32_t kEntryText = 50013;            // %s type (suppressed), %s serial, %s port text
constexpr uint32_t kPortTextPrefix = 50014;       // "@ "
constexpr uint32_t kNoDeviceRetry = 50015;

// Connection driver.
constexpr uint32_t kDeleteNotConnected = 50020;
constexpr uint32_t kDeleteConfirm = 50021;

// Series names manager.
constexpr uint32_t kNamesFull = 50030;
constexpr uint32_t kNameNotStorable = 50031;   // %s the name

} // namespace ConnectionStrings
