// SPDX-License-Identifier: GPL-3.0-or-later
// The string table of a language library Brelmora_<Lang>.so, read as data.
//
// Layout of the section ".brelmora_strings" (written by brelmora-strgen
// --table): the 8 bytes "BRSTR1\0\0", a 32-bit entry count, then per entry a
// 32-bit id, a 32-bit length in UTF-16 units and the units; all little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/StringTable.h"

namespace Platform {

// Decodes a table; false (and `table` empty) when it is damaged in any way:
// a wrong signature, a count or length beyond the data, or an id twice.
bool ParseLanguageTable(const uint8_t* data, size_t size, StringMap& table);

// Reads the table of a language library; null when the file has no sound
// table.  The result is meant for SetLanguageStrings.
std::shared_ptr<const StringMap> LoadLanguageTable(const std::u16string& path);
std::shared_ptr<const StringMap> LoadLanguageTable(const std::string& path);

} // namespace Platform
