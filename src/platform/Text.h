// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers shared by every layer.
//
// Texts of the core are UTF-16 (std::u16string); file names and the C
// library's number formatting are UTF-8.  These helpers convert between the
// two and give printf-style formatting that yields UTF-16 text.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace Platform {

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string FromUtf8(std::string_view text);

// 8-bit text where every byte is one character code 0..255 (ISO 8859-1).
std::u16string FromLatin1(std::string_view bytes);

// The C library's printf conversions into UTF-8 text.
std::string FormatA(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatAV(const char* format, va_list args);

// printf conversions into UTF-16 text.  %s arguments are UTF-8 (const char*).
std::u16string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf with a UTF-16 pattern (for patterns that come from the string table).
// %s arguments are UTF-8 (const char*).
std::u16string FormatU(const char16_t* format, ...);

// ASCII-only case-insensitive comparisons (stream names, switches).
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);

// Replaces every occurrence of `from` by `to`.
std::u16string ReplaceAll(std::u16string text, std::u16string_view from, std::u16string_view to);

} // namespace Platform
