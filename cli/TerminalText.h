// Text read from a file, made safe to print on a terminal.
#pragma once

#include <string>

namespace Cli {

// `text` in UTF-8 with every control character written as "\xHH": the C0
// controls (NUL included, so it no longer ends a line early), DEL and the
// C1 controls U+0080 to U+009F (0x9B would start an escape sequence as ESC
// does).  A roll ID or comment can thus neither move the cursor nor change
// the terminal's settings.
std::string TerminalText(const std::u16string& text);

} // namespace Cli
