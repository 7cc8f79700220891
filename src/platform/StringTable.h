// SPDX-License-Identifier: GPL-3.0-or-later
// The string table: every user-visible text of the program, by id.
//
// The built-in English texts are compiled in (generated from
// resources/strings/en/*.txt).  A language library can be made active; its
// texts then replace the built-in ones, and ids it lacks fall back to English.
// Texts are looked up on every use, so a language change takes effect for
// everything loaded afterwards; a caller that keeps texts checks
// LanguageGeneration().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Platform {

struct BuiltinString {
    uint32_t id;
    const char16_t* text;
};

using StringMap = std::unordered_map<uint32_t, std::u16string>;

// The text of `id` in the active language; empty when no table has it.
std::u16string LoadString(uint32_t id);

// True when the built-in table holds `id`.
bool HasBuiltinString(uint32_t id);

// Every id of the built-in table, ascending.
std::vector<uint32_t> BuiltinStringIds();

// Makes a language library's table active; null returns to built-in English.
void SetLanguageStrings(std::shared_ptr<const StringMap> table);

// Counts the language changes: texts a caller keeps are valid while the
// number stays the same.
uint64_t LanguageGeneration();

// The active language table (null when built-in English is active).
std::shared_ptr<const StringMap> GetLanguageStrings();

} // namespace Platform
