// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalText.h"

#include <cstdio>

#include "platform/Text.h"

namespace Cli {

namespace {

// The characters that turn the direction of the text that follows (so a
// name can show another name than it holds, "exe.txt" for "txt.exe").
bool IsBidiControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

std::string TerminalText(const std::u16string& text)
{
    std::u16string plain;
    std::string out;
    auto flush = [&] {
        out += Platform::ToUtf8(plain);
        plain.clear();
    };
    for (char16_t c : text) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            flush();
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned>(c));
            out += buf;
        } else if (IsBidiControl(c)) {
            flush();
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        } else {
            plain += c;
        }
    }
    flush();
    return out;
}

} // namespace Cli
