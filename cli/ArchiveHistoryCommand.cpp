// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli archive history ID [--json]: every revision of one archived
// measurement, oldest first: when, by whom, from which source, and which
// fields it changed against the revision before.
#include <string>
#include <vector>

#include "ArchiveCliStrings.h"
#include "ArchiveCliSupport.h"
#include "ArchiveCommands.h"
#include "CliCommon.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "SeriesJson.h"
#include "StandardOutput.h"
#include "TerminalText.h"
#include "archive/ArchiveError.h"
#include "archive/SeriesState.h"
#include "data/PaperData.h"
#include "platform/Text.h"

namespace Cli {

namespace {

// The fields that differ between two revisions, as (JSON name, text id).
std::vector<std::pair<const char*, uint32_t>> Changes(const Archive::SArchivedRevision& before,
                                                      const Archive::SArchivedRevision& after)
{
    std::vector<std::pair<const char*, uint32_t>> out;
    if (before.rollId != after.rollId)
        out.emplace_back("rollId", kFieldRollId);
    if (before.comment != after.comment)
        out.emplace_back("comment", kFieldRollId + 1);
    if (before.dateTime != after.dateTime)
        out.emplace_back("dateTime", kFieldRollId + 2);
    if (before.lowerLimit != after.lowerLimit || before.upperLimit != after.upperLimit)
        out.emplace_back("limits", kFieldRollId + 3);
    if (before.factor != after.factor)
        out.emplace_back("factor", kFieldRollId + 4);
    if (before.rFlag != after.rFlag)
        out.emplace_back("unit", kFieldRollId + 5);
    if (before.deviceTexts != after.deviceTexts)
        out.emplace_back("deviceTexts", kFieldRollId + 6);
    if (before.infoBlock != after.infoBlock)
        out.emplace_back("info", kFieldRollId + 7);
    return out;
}

} // namespace

int ArchiveHistoryCommand(const std::vector<std::string>& args)
{
    SArchiveArgs a;
    if (const int rc = ParseArchiveArgs("archive history", args, {"--json"}, a))
        return rc;
    if (a.words.size() != 1)
        return UsageError("archive history");
    const std::optional<uint32_t> id = ParseNumber(a.words[0]);
    if (!id) {
        PrintError("brelmora-cli", Platform::FormatU(Text(kBadValue).c_str(), "history", a.words[0].c_str()));
        return exitUsage;
    }
    const auto archive = OpenArchive(a.archive, Archive::CLabArchive::EMode::Read);
    if (!archive)
        return exitArchive;
    std::vector<Archive::SArchivedRevision> revisions;
    try {
        revisions = archive->History(*id);
    } catch (const Archive::CArchiveError& e) {
        return ArchiveFailure(e);
    }
    if (revisions.empty()) {
        PrintError("brelmora-cli", Platform::FormatU(Text(kNoSuchMeasurement).c_str(), a.words[0].c_str()));
        return exitNoSeries;
    }
    if (a.json) {
        CJsonWriter json;
        CPaperData data;
        json.BeginObject();
        json.Key("archiveId");
        json.Number(*id);
        json.Key("revisions");
        json.BeginArray();
        for (size_t k = 0; k < revisions.size(); ++k) {
            const Archive::SArchivedRevision& r = revisions[k];
            json.BeginObject();
            data.Clear();
            if (Archive::AppendRevision(data, r))
                WriteSeriesFields(json, data, 0);
            json.Key("revision");
            json.Number(r.revision);
            json.Key("original");
            json.Bool(r.original);
            json.Key("source");
            json.String(r.source);
            json.Key("sourceSha256");
            r.sourceSha256.empty() ? json.Null() : json.String(r.sourceSha256);
            json.Key("archivedAt");
            json.String(r.archivedAt);
            json.Key("archivedBy");
            json.String(r.archivedBy);
            json.Key("host");
            json.String(r.host);
            json.Key("changed");
            json.BeginArray();
            if (k > 0)
                for (const auto& [name, text] : Changes(revisions[k - 1], r))
                    json.String(name);
            json.EndArray();
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        Out("%s\n", json.Text().c_str());
        return exitOk;
    }
    for (size_t k = 0; k < revisions.size(); ++k) {
        const Archive::SArchivedRevision& r = revisions[k];
        Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kHistoryRevision).c_str(), static_cast<long long>(r.revision),
                                                       static_cast<long long>(r.revisions), r.archivedAt.c_str(),
                                                       TerminalText(r.archivedBy).c_str(), TerminalText(r.host).c_str(),
                                                       TerminalText(r.source).c_str()))
                        .c_str());
        if (r.original)
            Out("%s\n", Platform::ToUtf8(Text(kHistoryOriginal)).c_str());
        if (k > 0) {
            std::string fields;
            for (const auto& [name, text] : Changes(revisions[k - 1], r))
                fields += (fields.empty() ? "" : ", ") + Platform::ToUtf8(Text(text));
            if (!fields.empty())
                Out("%s\n", Platform::ToUtf8(Platform::FormatU(Text(kHistoryChanged).c_str(), fields.c_str())).c_str());
        }
        Out("  %s  %s  \"%s\"  \"%s\"\n", Platform::ToUtf8(r.serial).empty() ? "-" : TerminalText(r.serial).c_str(),
            TerminalText(Platform::FromUtf8(std::to_string(r.counter))).c_str(), TerminalText(r.rollId).c_str(),
            TerminalText(r.comment).c_str());
    }
    return exitOk;
}

} // namespace Cli
