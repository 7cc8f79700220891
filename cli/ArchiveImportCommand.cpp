// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive import FILE.vnr|DIR... [--json] [--accept-damaged]
// [--archive URL]: every series of the project files (folders searched
// recursively for *.vnr in any case) into the archive, one transaction per
// file.  A file that cannot be read is named with its reason and skipped;
// the others are imported and the exit status is 2 at the end.  An archive
// that fails stops the run with 9.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "ArchiveCliStrings.h"
#include "ArchiveCliSupport.h"
#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "archive/ArchiveError.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"

namespace Cli {

namespace {

bool IsProjectName(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".vnr";
}

// The files to import: given files as they are, folders' project files in
// name order.  False after naming a folder that cannot be read.
bool CollectFiles(const std::vector<std::string>& words, std::vector<std::string>& files)
{
    namespace fs = std::filesystem;
    for (const std::string& w : words) {
        std::error_code ec;
        if (!fs::is_directory(w, ec)) {
            files.push_back(w);
            continue;
        }
        std::vector<std::string> found;
        fs::recursive_directory_iterator it(w, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code fileEc;
            if (it->is_regular_file(fileEc) && IsProjectName(it->path()))
                found.push_back(it->path().string());
        }
        if (ec) {
            PrintError(w, Platform::FromUtf8(ec.message()));
            return false;
        }
        if (found.empty())
            PrintError(w, Platform::FormatU(Text(kNoProjectFiles).c_str(), w.c_str()));
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return true;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int ArchiveImportCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    if (const int rc = ParseArchiveArgs("archive import", args, {"--json", "--accept-damaged"}, a))
        return rc;
    if (a.words.empty())
        return UsageError("archive import");
    std::vector<std::string> files;
    if (!CollectFiles(a.words, files))
        return exitNotAProject;
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Write);
    if (!archive)
        return exitArchive;
    const bool progress = ::isatty(STDERR_FILENO) == 1;
    Archive::SImportCounts total;
    int failed = 0;
    std::vector<std::string> failedFiles;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        CPaperDoc doc;
        CTerminalUi ui;
        doc.SetUi(&ui);
        std::vector<uint8_t> bytes;
        if (progress)
            std::fprintf(stderr, "\033[K");
        if (OpenProjectForOutput(doc, ui, path, a.acceptDamaged) != exitOk) {
            ++failed;
            failedFiles.push_back(path);
            continue;
        }
        if (!ReadBytes(path, bytes)) {
            PrintError(path, Platform::FromUtf8(std::strerror(errno)));
            ++failed;
            failedFiles.push_back(path);
            continue;
        }
        if (progress)
            std::fprintf(stderr, "%s\r",
                         Platform::ToUtf8(Platform::FormatU(Text(kImportProgress).c_str(), static_cast<int>(i + 1),
                                                            static_cast<int>(files.size()),
                                                            TerminalText(Platform::FromUtf8(path)).c_str()))
                             .c_str());
        try {
            const std::u16string absolute = Platform::FromUtf8(std::filesystem::absolute(path).lexically_normal().string());
            const Archive::SImportCounts n =
                archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::FileSource(absolute, bytes));
            total.added += n.added;
            total.revised += n.revised;
            total.unchanged += n.unchanged;
        } catch (const Archive::CArchiveError& e) {
            if (progress)
                std::fprintf(stderr, "\033[K");
            return ArchiveFailure(e);
        }
    }
    if (progress)
        std::fprintf(stderr, "\033[K");
    const int series = total.added + total.revised + total.unchanged;
    if (a.json) {
        CJsonWriter json;
        json.BeginObject();
        json.Key("files");
        json.Number(static_cast<int64_t>(files.size()));
        json.Key("series");
        json.Number(series);
        json.Key("added");
        json.Number(total.added);
        json.Key("revised");
        json.Number(total.revised);
        json.Key("unchanged");
        json.Number(total.unchanged);
        json.Key("filesFailed");
        json.Number(failed);
        json.Key("failed");
        json.BeginArray();
        for (const std::string& f : failedFiles)
            json.String(f);
        json.EndArray();
        json.EndObject();
        Out("%s\n", json.Text().c_str());
    } else {
        Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kImportSummary).c_str(), static_cast<int>(files.size()),
                                                       series, total.added, total.revised, total.unchanged, failed))
                        .c_str());
    }
    return failed > 0 ? exitNotAProject : exitOk;
}

} // namespace Cli
