// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the program's settings: the key, its value names, the
// default upgrade folder and the messages of reading and writing them.
#pragma once

#include <cstdint>

namespace SettingsStrings {

constexpr uint32_t kSettingsKey = 602;           // "Software\Vantor\Brelmora\Settings"
constexpr uint32_t kValuePfad = 604;
constexpr uint32_t kValueLanguageFile = 605;
constexpr uint32_t kValueDataFolder = 606;
constexpr uint32_t kValueGridCheck = 607;
constexpr uint32_t kValueDtFormat = 608;
constexpr uint32_t kDefaultPfad = 1802;          // "c:\temp"

constexpr uint32_t kRegistryWriteFailed = 1000;
constexpr uint32_t kBadUpgradeFolder = 1004;
constexpr uint32_t kUpgradeFolderReadOnly = 1005;
// %s: the settings file; %s: what is wrong with it.
constexpr uint32_t kSettingsFileUnusable = 40050;

} // namespace SettingsStrings
