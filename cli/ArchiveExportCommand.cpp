// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive export OUT.vnr [FILTERS] [--limit N]: a project of
// the found series, the first archived state of each in the original
// collection and the newest in the current one, so info, export and the
// desktop program open it as any project.
#include <string>
#include <vector>

#include "ArchiveCliStrings.h"
#include "ArchiveCliSupport.h"
#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "DeviceOutputFiles.h"
#include "StandardOutput.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveProject.h"
#include "data/PaperDoc.h"
#include "platform/ErrorCodes.h"
#include "platform/Text.h"

namespace Cli {

int ArchiveExportCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    std::initializer_list<const char*> allowed = {"--roll", "--serial", "--from", "--to", "--outside-limits",
                                                  "--cov-above", "--limit"};
    if (const int rc = ParseArchiveArgs("archive export", args, allowed, a))
        return rc;
    if (a.words.size() != 1)
        return a.words.empty() ? UsageError("archive export") : BadArgument("archive export", a.words[1], allowed);
    const std::string& out = a.words[0];
    if (const int rc = CheckDistinctFiles(std::string(), {out, TracePath()}))
        return rc;
    if (const uint32_t error = COutputFiles::CheckCreatable(out)) {
        PrintError(out, Platform::FormatU(Text(kCannotWrite).c_str(), Platform::DescribeError(error)));
        return exitCannotWrite;
    }
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Read);
    if (!archive)
        return exitArchive;
    CPaperDoc doc;
    CTerminalUi ui;
    doc.SetUi(&ui);
    try {
        std::vector<int64_t> ids;
        for (const Archive::SArchivedRevision& r : archive->Find(a.filter, false))
            ids.push_back(r.measurementId);
        Archive::FillProject(*archive, ids, doc);
    } catch (const Archive::CArchiveError& e) {
        return ArchiveFailure(e);
    }
    if (!doc.GetCurrent().HasSeries()) {
        PrintError("brelmora-cli", Text(kFindNothing));
        return exitNoSeries;
    }
    if (!doc.WriteProject(Platform::FromUtf8(out))) {
        ui.Flush(out);
        return exitCannotWrite;
    }
    Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kExportWritten).c_str(), doc.GetCurrent().GetCount(), out.c_str()))
                    .c_str());
    return exitOk;
}

int ArchiveCheckCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    if (const int rc = ParseArchiveArgs("archive check", args, {}, a))
        return rc;
    if (!a.words.empty())
        return BadArgument("archive check", a.words.front(), {});
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Read);
    if (!archive)
        return exitArchive;
    Archive::SCheckReport report;
    try {
        report = archive->Check();
    } catch (const Archive::CArchiveError& e) {
        return ArchiveFailure(e);
    }
    if (report.problems.empty()) {
        Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kCheckSound).c_str(), static_cast<long long>(report.measurements),
                                                       static_cast<long long>(report.revisions)))
                        .c_str());
        return exitOk;
    }
    for (const std::u16string& p : report.problems)
        PrintError(Platform::ToUtf8(archive->Name()), p);
    Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kCheckProblems).c_str(), static_cast<long long>(report.measurements),
                                                   static_cast<long long>(report.revisions),
                                                   static_cast<int>(report.problems.size())))
                    .c_str());
    return exitArchive;
}

} // namespace Cli
