// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli update-download --to DIR [--server URL]: downloads the newest
// installer into DIR with every check the update wizard makes (the listed
// size, the published checksum, a temporary file renamed only when
// complete) and prints its path.  The installer is never started.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "UpdateCliSupport.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "update/InstallerDownload.h"
#include "update/UpdateCheck.h"
#include "update/UpdateStrings.h"

namespace Cli {

namespace {

// The errno that keeps `dir` from taking a new file, 0 when it can.
int FolderProblem(const std::string& dir)
{
    if (const int problem = Platform::FolderWriteProblem(dir); problem != 0)
        return problem;
    return Platform::MayWrite(dir) != 0 ? EACCES : 0;
}

int CannotWrite(const std::string& path, int err)
{
    PrintError(TerminalText(Platform::FromUtf8(path)), Platform::FormatU(Text(kCannotWrite).c_str(), std::strerror(err)));
    return exitCannotWrite;
}

} // namespace

int UpdateDownloadCommand(const std::vector<std::string>& given)
{
    std::vector<std::string> args = given;
    Update::SFtpServer server;
    if (const int rc = TakeServerOption("update-download", args, server))
        return rc;
    std::string dir;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--to" && i + 1 < args.size() && dir.empty() && !args[i + 1].empty())
            dir = args[++i];
        else
            return BadArgument("update-download", args[i], {"--to"});
    }
    if (dir.empty())
        return UsageError("update-download");
    // The folder is checked before the server is asked anything.
    if (const int err = FolderProblem(dir))
        return CannotWrite(dir, err);

    const Update::SProgramIdentity program = Update::SProgramIdentity::OfThisProgram();
    Update::CFtpLink link(server);
    link.SetShowErrors(false);
    Update::SInstallerChoice choice;
    if (!Update::ConnectForUpdate(link, program) || !Update::SearchInstaller(link, program, choice))
        return ReportUpdateFailure(server, link.GetErrorText());
    if (!choice.found) {
        PrintLine(Platform::FormatU(Text(Update::IDS_NO_UPDATE).c_str(), Platform::ToUtf8(program.productName).c_str()));
        return exitOk;
    }

    const std::string target = (dir.back() == '/' ? dir : dir + "/") + Platform::ToUtf8(choice.installer.name);
    Update::CInstallerDownload download(link, choice);
    if (!download.CreateLocal(Platform::FromUtf8(target)))
        return CannotWrite(target, download.LocalError());
    if (!download.Open())
        return ReportUpdateFailure(server, download.ErrorText());
    Update::CInstallerDownload::EStep step = Update::CInstallerDownload::stepRunning;
    while (step == Update::CInstallerDownload::stepRunning)
        step = download.Step(200);
    if (step != Update::CInstallerDownload::stepComplete)
        return ReportUpdateFailure(server, download.ErrorText());
    link.Close();
    Out("%s\n", TerminalText(Platform::FromUtf8(target)).c_str());
    return exitOk;
}

} // namespace Cli
