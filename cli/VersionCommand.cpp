// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli version [FILE]: the version record of this program (or of the
// given file, e.g. a language library).
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "StandardOutput.h"
#include "platform/Text.h"
#include "update/FileVersionInfo.h"
#include "platform/Version.h"

namespace Cli {

int VersionCommand(const std::vector<std::string>& args)
{
    if (args.size() > 1 || (!args.empty() && !args[0].empty() && args[0][0] == '-'))
        return UsageError("version");
    CFileVersionInfo info;
    const std::string file = args.empty() ? std::string("brelmora-cli") : args[0];
    const bool ok = args.empty() ? info.Read() : info.Read(Platform::FromUtf8(args[0]));
    if (!ok) {
        PrintError(file, Text(kNoVersionRecord));
        return exitNotAProject;
    }
    using Platform::ToUtf8;
    const struct {
        const char* name;
        std::u16string value;
    } rows[] = {
        {"ProductName", info.GetProductName()},
        {"ProductVersion", info.GetProductVersion()},
        {"FileVersion", info.GetFileVersion()},
        {"FileDescription", info.GetFileDescription()},
        {"CompanyName", info.GetCompanyName()},
        {"InternalName", info.GetInternalName()},
        {"OriginalFileName", info.GetOriginalFileName()},
        {"LegalCopyright", info.GetLegalCopyright()},
        {"Comments", info.GetComments()},
    };
    for (const auto& row : rows)
        if (!row.value.empty())
            Out("%-17s %s\n", row.name, ToUtf8(row.value).c_str());
    Out("%-17s %s\n", "Fixed file", ToUtf8(info.GetFixedFileVersion().Format(4)).c_str());
    Out("%-17s %s\n", "Fixed product", ToUtf8(info.GetFixedProductVersion().Format(4)).c_str());
    return exitOk;
}

} // namespace Cli
