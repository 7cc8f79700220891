// SPDX-License-Identifier: GPL-3.0-or-later
// The archive step of `download ... --archive [URL]`: after the project
// file is saved, the downloaded series go into the archive.  A failing
// archive is reported (exit 9) but never costs the download: the file is
// already on the disk.
#include "ArchiveCliStrings.h"
#include "ArchiveCliSupport.h"
#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "StandardOutput.h"
#include "archive/ArchiveError.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"

namespace Cli {

bool CheckArchiveAddress(const std::optional<std::string>& archive)
{
    try {
        Archive::ResolveArchiveLocation(archive ? std::optional<std::u16string>(Platform::FromUtf8(*archive))
                                                : std::nullopt);
        return true;
    } catch (const Archive::CArchiveError& e) {
        ArchiveFailure(e);
        return false;
    }
}

int ArchiveDownloadedSeries(const CPaperDoc& doc, const std::string& port, const std::optional<std::string>& archive)
{
    std::optional<std::u16string> given;
    if (archive)
        given = Platform::FromUtf8(*archive);
    try {
        const auto opened = Archive::CLabArchive::Open(Archive::ResolveArchiveLocation(given),
                                                       Archive::CLabArchive::EMode::Write);
        const Archive::SImportCounts n =
            opened->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(Platform::FromUtf8(port)));
        Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kDownloadArchived).c_str(),
                                                       Platform::ToUtf8(opened->Name()).c_str(), n.added, n.revised,
                                                       n.unchanged))
                        .c_str());
        return exitOk;
    } catch (const Archive::CArchiveError& e) {
        ArchiveFailure(e);
        PrintError("brelmora-cli", Text(kDownloadNotArchived));
        return exitArchive;
    }
}

} // namespace Cli
