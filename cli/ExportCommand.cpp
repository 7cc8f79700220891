// brelmora-cli export FILE.vnr OUT [--energy] [--dtformat N] [--summary | --csv [--impacts]]:
// writes the text export of the series page, or with --summary of the
// summary page; with --csv the spreadsheet CSV, one row per series (or per
// impact with --impacts).  The texts come from the language library the
// settings choose, so the export holds the same bytes as the desktop
// program's.
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "data/SummaryPageText.h"
#include "data/TextExport.h"
#include "platform/ErrorCodes.h"
#include "platform/ExecutableResources.h"
#include "platform/FileException.h"
#include "platform/SettingsStore.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/LanguageLibrary.h"

namespace Cli {

namespace {

// The texts of the "LanguageFile" setting, as the desktop program takes
// them; a library that cannot be used leaves the built-in texts.
void UseLanguageOfSettings()
{
    const std::u16string program = Platform::FromUtf8(Platform::OwnExecutablePath());
    const SLanguageChoice choice = ChooseLanguage(CSettingsStore::Peek(program).languageFile, program);
    if (choice.kind == SLanguageChoice::library)
        Platform::SetLanguageStrings(choice.table);
}

} // namespace

int ExportCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> paths;
    bool energy = false;
    bool summary = false;
    bool csv = false;
    bool impacts = false;
    std::optional<uint32_t> dtFormat;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--energy") {
            energy = true;
        } else if (a == "--summary") {
            summary = true;
        } else if (a == "--csv") {
            csv = true;
        } else if (a == "--impacts") {
            impacts = true;
        } else if (a == "--dtformat") {
            if (i + 1 >= args.size())
                return UsageError("export");
            dtFormat = ParseNumber(args[++i]);
            if (!dtFormat) {
                PrintError("brelmora-cli", Platform::FormatU(Text(kBadNumber).c_str(), "--dtformat", args[i].c_str()));
                return exitUsage;
            }
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("export");
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2 || (csv && summary) || (impacts && !csv))
        return UsageError("export");

    CPaperDoc doc;
    CTerminalUi ui;
    if (!OpenProject(doc, ui, paths[0]))
        return exitNotAProject;
    doc.SetEnergyMode(energy);

    UseLanguageOfSettings();
    if (csv) {
        try {
            SpreadsheetExport::WriteFile(Platform::FromUtf8(paths[1]), doc.GetCurrent(),
                                         impacts ? SpreadsheetExport::ERows::Impacts
                                                 : SpreadsheetExport::ERows::Series);
        } catch (const Platform::CFileException& e) {
            PrintError(paths[1], Platform::FormatU(Text(kCannotWrite).c_str(),
                                                   Platform::DescribeError(e.GetOsError())));
            return exitCannotWrite;
        }
        return exitOk;
    }

    const uint32_t pictures = dtFormat ? *dtFormat : ReadDtFormatSetting();
    // The summary page's text, or the series page's; an empty summary
    // writes just the byte-order mark.
    const std::u16string text = summary ? SummaryPageText::ExportText(doc, pictures)
                                        : SeriesPageText::ExportText(doc.GetCurrent(), energy, pictures);
    try {
        TextExport::WriteFile(Platform::FromUtf8(paths[1]), text);
    } catch (const Platform::CFileException& e) {
        PrintError(paths[1], Platform::FormatU(Text(kCannotWrite).c_str(),
                                               Platform::DescribeError(e.GetOsError())));
        return exitCannotWrite;
    }
    return exitOk;
}

} // namespace Cli
