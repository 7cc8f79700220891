// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileMessage.h"

#include "platform/Text.h"

namespace Platform {

std::string FileMessageLine(const std::string& file, const std::u16string& text)
{
    const std::string message = ToUtf8(text);
    const std::string firstLine = message.substr(0, message.find('\n'));
    if (!file.empty() && firstLine.find(file) != std::string::npos)
        return message;
    return file + ": " + message;
}

} // namespace Platform
