// SPDX-License-Identifier: GPL-3.0-or-later
// The user's default language as a Windows language id (LANGID: primary
// language in bits 0..9, sublanguage in bits 10..15), derived from the POSIX
// locale settings.  Version records and language libraries are keyed by it.
#pragma once

#include <cstdint>
#include <string_view>

namespace Platform {

constexpr uint16_t kLangIdEnglishUS = 0x0409;

// The language id of a locale name such as "de_DE.UTF-8", "de_AT@euro" or
// "en"; 0x0409 for "C", "POSIX", empty and unknown names.  A known language
// with an unknown or missing territory gives that language's default id.
uint16_t LangIdFromLocaleName(std::string_view name);

// From LC_ALL, else LC_MESSAGES, else LANG (the first one set and not empty).
uint16_t GetUserDefaultLangId();

} // namespace Platform
