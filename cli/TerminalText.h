// SPDX-License-Identifier: GPL-3.0-or-later
// Text read from a file, made safe to print on a terminal.
#pragma once

#include <string>

namespace Cli {

// `text` in UTF-8 with every control character written as "\xHH": the C0
// controls (NUL included, so it no longer ends a line early), DEL and the
// C1 controls U+0080 to U+009F (0x9B would start an escape sequence as ESC
// does).  The bidirectional controls (U+061C, U+200E, U+200F, U+202A to
// U+202E, U+2066 to U+2069) are written as "\uHHHH", so a name cannot show
// as another.  A roll ID, comment or a file name from a server can thus
// neither move the cursor, change the terminal's settings nor disguise
// itself.
std::string TerminalText(const std::u16string& text);

} // namespace Cli
