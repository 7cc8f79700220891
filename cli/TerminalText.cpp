#include "TerminalText.h"

#include <cstdio>

#include "platform/Text.h"

namespace Cli {

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
        } else {
            plain += c;
        }
    }
    flush();
    return out;
}

} // namespace Cli
