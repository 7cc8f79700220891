// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli update-check [--json] [--server URL]: the program's version
// and the newest installer on the download server.
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "UpdateCliStrings.h"
#include "UpdateCliSupport.h"
#include "platform/Text.h"
#include "update/UpdateCheck.h"
#include "update/UpdateStrings.h"

namespace Cli {

int UpdateCheckCommand(const std::vector<std::string>& given)
{
    std::vector<std::string> args = given;
    Update::SFtpServer server;
    if (const int rc = TakeServerOption("update-check", args, server))
        return rc;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else
            return BadArgument("update-check", a, {});
    }
    const Update::SProgramIdentity program = Update::SProgramIdentity::OfThisProgram();
    Update::CFtpLink link(server);
    link.SetShowErrors(false);
    Update::SInstallerChoice choice;
    if (!Update::ConnectForUpdate(link, program) || !Update::SearchInstaller(link, program, choice))
        return ReportUpdateFailure(server, link.GetErrorText());
    link.Close();

    using Platform::ToUtf8;
    const std::string name = ToUtf8(program.productName);
    if (json) {
        CJsonWriter w;
        w.BeginObject();
        w.Key("current");
        w.String(program.version.Format(4));
        w.Key("newest");
        choice.found ? w.String(choice.version.Format(4)) : w.Null();
        w.Key("file");
        choice.found ? w.String(choice.installer.name) : w.Null();
        w.Key("size");
        choice.found ? w.Number(static_cast<int64_t>(choice.installer.size)) : w.Null();
        w.Key("folder");
        w.String(Update::UpdateFolderOf(program.productName));
        w.EndObject();
        Out("%s\n", w.Text().c_str());
        return exitOk;
    }
    if (!choice.found) {
        PrintLine(Platform::FormatU(Text(Update::IDS_NO_UPDATE).c_str(), name.c_str()));
        return exitOk;
    }
    PrintLine(Platform::FormatU(Text(Update::IDS_NEWER_FOUND).c_str(), name.c_str(),
                                ToUtf8(choice.version.Format(3)).c_str(), ToUtf8(program.version.Format(3)).c_str()));
    // The name comes from the server: escaped as the texts of a file are.
    PrintLine(Platform::FormatU(Text(kInstallerLine).c_str(), TerminalText(choice.installer.name).c_str(),
                                std::to_string(choice.installer.size).c_str()));
    return exitOk;
}

} // namespace Cli
