// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateCliSupport.h"

#include <cstdio>

#include "CliCommon.h"
#include "Commands.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "UpdateCliStrings.h"
#include "platform/Text.h"

namespace Cli {

int TakeServerOption(const std::string& command, std::vector<std::string>& args, Update::SFtpServer& server)
{
    server = Update::CurrentUpdateServer();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--server")
            continue;
        if (i + 1 >= args.size())
            return UsageError(command);
        const std::string text = args[i + 1];
        server = Update::ParseFtpServer(Platform::FromUtf8(text));
        if (!server.valid) {
            PrintError("brelmora-cli", Platform::FormatU(Text(kBadServer).c_str(), text.c_str()));
            return UsageError(command);
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
        --i;
    }
    return exitOk;
}

int ReportUpdateFailure(const Update::SFtpServer& server, const std::u16string& text)
{
    const std::string name = Platform::ToUtf8(server.Display());
    // The texts name files of the server: each line escaped as the texts
    // of a file are.
    const std::u16string lines = Platform::ReplaceAll(text, u"\r\n", u"\n");
    std::string safe;
    size_t start = 0;
    for (;;) {
        const size_t end = lines.find(u'\n', start);
        safe += TerminalText(lines.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
        if (end == std::u16string::npos)
            break;
        safe += '\n';
        start = end + 1;
    }
    PrintError(name.empty() ? std::string("brelmora-cli") : name, Platform::FromUtf8(safe));
    return exitUpdate;
}

void PrintLine(const std::u16string& text)
{
    Out("%s\n", Platform::ToUtf8(Platform::ReplaceAll(text, u"\r\n", u"\n")).c_str());
}

} // namespace Cli
