// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli download --port COM<n>: --save OUT.vnr [--export OUT.txt]
// [--energy] [--accept-damaged]: identification, information block, clock
// and every series from the instrument, saved as a project holding the
// series in both collections, optionally also as the export text of the
// series page.  Nothing is written unless the whole download succeeded.  A
// short answer carries no checksum, so series data that do not parse whole
// (ending inside a record, or with bytes over) are a failed transfer; with
// --accept-damaged what the parse kept is saved.
#include <algorithm>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "DeviceOutputFiles.h"
#include "DeviceSession.h"
#include "SafetyCliStrings.h"
#include "StandardOutput.h"
#include "connection/PaperConnection.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/TextExport.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/VnArchive.h"

namespace Cli {

namespace {

void WriteBytes(StreamIO::CIoStream& stream, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, 1u << 20));
        const uint32_t n = stream.Write(bytes.data() + done, chunk);
        if (n == 0)
            Platform::ThrowFileException(stream.GetError() ? stream.GetError() : Platform::ERROR_WRITE_FAULT,
                                         stream.GetName());
        done += n;
    }
}

// The exit status of an unsuccessful download.  The driver has shown the
// messages of "no series" and "cannot transfer"; what it ends silently is
// reported here, since silence would look like success to a script.
int ReportDownload(const CDeviceSession& session, const SDownloadReport& report)
{
    switch (report.result) {
    case EDownloadResult::NotConnected:
        return exitNoInstrument;
    case EDownloadResult::NoInfoBlock:
        session.PrintMessage(report.failure != Device::ELinkFailure::None
                                 ? Device::DescribeFailure(report.failure, report.instrumentError, report.streamError)
                                 : Text(kInfoBlockIncomplete));
        return exitCommunication;
    case EDownloadResult::NoSeries:
        return exitNoSeries;
    case EDownloadResult::CannotTransfer:
        return exitCannotTransfer;
    default:
        return session.ReportFailure(report.failure, report.instrumentError, report.streamError);
    }
}

} // namespace

int DownloadCommand(const std::vector<std::string>& args)
{
    std::string portText, savePath, exportPath;
    bool energy = false;
    std::optional<std::string> archiveUrl;   // --archive [URL]: also into the archive
    bool archive = false;
    bool acceptDamaged = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* value = a == "--port" ? &portText : a == "--save" ? &savePath : a == "--export" ? &exportPath : nullptr;
        if (value != nullptr) {
            if (i + 1 >= args.size() || args[i + 1].empty() || !value->empty())
                return UsageError("download");
            *value = args[++i];
        } else if (a == "--energy") {
            energy = true;
        } else if (a == "--archive" && !archive) {
            archive = true;
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-')
                archiveUrl = args[++i];
        } else if (a == "--accept-damaged") {
            acceptDamaged = true;
        } else {
            return BadArgument("download", a, {"--port", "--save", "--export", "--archive"});
        }
    }
    if (portText.empty() || savePath.empty())
        return UsageError("download");
    if (archive && !CheckArchiveAddress(archiveUrl))
        return exitArchive;
    SPortChoice port;
    if (const int rc = ResolvePort("download", portText, port))
        return rc;
    // No output may replace another one (or the wire trace being written).
    if (const int rc = CheckDistinctFiles(std::string(), {savePath, exportPath, TracePath()}))
        return rc;
    // An output that cannot be created is refused before the instrument is
    // asked for anything.
    for (const std::string* path : {&savePath, &exportPath}) {
        if (path->empty())
            continue;
        if (const uint32_t error = COutputFiles::CheckCreatable(*path)) {
            PrintError(*path, Platform::FormatU(Text(kCannotWrite).c_str(), Platform::DescribeError(error)));
            return exitCannotWrite;
        }
    }

    CPaperDoc doc;
    CTerminalUi ui;
    doc.SetUi(&ui);
    doc.SetEnergyMode(energy);
    CDeviceSession session(port);
    const SDownloadReport report = session.Connection().DownloadSeries(doc);
    if (report.result != EDownloadResult::Ok)
        return ReportDownload(session, report);
    switch (JudgeDownload(report, doc.GetCurrent().GetCount(), acceptDamaged)) {
    case EDownloadVerdict::NothingRead:
        // Data that do not hold even one whole series are not a download.
        session.PrintMessage(Device::DescribeFailure(Device::ELinkFailure::None));
        return exitCommunication;
    case EDownloadVerdict::NotWhole:
        // Bytes that are not a whole series stream may be anything at all:
        // a script must not take them for measurements.
        session.PrintMessage(Text(kSeriesNotWhole));
        return exitCommunication;
    case EDownloadVerdict::SaveDamaged:
        session.PrintMessage(Text(kSeriesCutShort));
        break;
    default:
        break;
    }
    // The summary as the desktop program's summary page builds it after a
    // download, so the saved project is the same.
    doc.BuildSummary();

    COutputFiles files;
    files.Add(savePath, [&doc](StreamIO::CIoStream& stream) {
        StreamIO::CVnArchive archive(stream.GetId(), 0);
        doc.WriteProject(archive);
        archive.Flush();
    });
    if (!exportPath.empty()) {
        const std::vector<uint8_t> bytes = [&] {
            const CSettingsLanguage language;
            return TextExport::Encode(SeriesPageText::ExportText(doc.GetCurrent(), energy, ReadDtFormatSetting()));
        }();
        files.Add(exportPath, [bytes](StreamIO::CIoStream& stream) { WriteBytes(stream, bytes); });
    }
    std::string failedPath;
    uint32_t error = 0;
    if (!files.Commit(failedPath, error)) {
        PrintError(failedPath, Platform::FormatU(Text(kCannotWrite).c_str(), Platform::DescribeError(error)));
        return exitCannotWrite;
    }
    ui.Flush(savePath);
    Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kDownloadSaved).c_str(), doc.GetCurrent().GetCount(),
                                                            savePath.c_str()))
                            .c_str());
    return archive ? ArchiveDownloadedSeries(doc, port.name, archiveUrl) : exitOk;
}

} // namespace Cli
