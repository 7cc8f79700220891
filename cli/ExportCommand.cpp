// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli export FILE.vnr OUT|- [--energy] [--dtformat N]
// [--summary | --csv [--impacts] [--csv-locale en|de] [--raw-text] [--no-bom]]
// [--accept-damaged]: writes the text export of the series page, or with
// --summary of the summary page; with --csv the spreadsheet CSV, one row per
// series (or per impact with --impacts), in the portable or the German
// number form, text cells guarded against formulas unless --raw-text, with a
// byte-order mark unless --no-bom; to OUT or standard output.  The texts come from the language library the
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

int ExportCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> paths;
    bool energy = false;
    bool summary = false;
    bool csv = false;
    bool impacts = false;
    bool acceptDamaged = false;
    bool csvOption = false;   // an option that only --csv takes
    SpreadsheetExport::SOptions sheet;
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
        } else if (a == "--accept-damaged") {
            acceptDamaged = true;
        } else if (a == "--raw-text") {
            sheet.rawText = true;
            csvOption = true;
        } else if (a == "--no-bom") {
            sheet.byteOrderMark = false;
            csvOption = true;
        } else if (a == "--csv-locale") {
            if (i + 1 >= args.size() || (args[i + 1] != "en" && args[i + 1] != "de"))
                return UsageError("export");
            sheet.locale = args[++i] == "de" ? SpreadsheetExport::ELocale::German : SpreadsheetExport::ELocale::Portable;
            csvOption = true;
        } else if (a == "--dtformat") {
            if (i + 1 >= args.size())
                return UsageError("export");
            dtFormat = ParseNumber(args[++i]);
            if (!dtFormat) {
                PrintError("brelmora-cli", Platform::FormatU(Text(kBadNumber).c_str(), "--dtformat", args[i].c_str()));
                return exitUsage;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return UnknownOption("export", a);
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2 || (csv && summary) || ((impacts || csvOption) && !csv))
        return UsageError("export");

    // The export must not replace the project it is made from.
    if (const int rc = CheckDistinctFiles(paths[0], {paths[1] == "-" ? std::string() : paths[1]}))
        return rc;
    CPaperDoc doc;
    CTerminalUi ui;
    if (const int rc = OpenProjectForOutput(doc, ui, paths[0], acceptDamaged))
        return rc;
    doc.SetEnergyMode(energy);

    const CSettingsLanguage language;
    if (csv)
        return WriteExport(paths[1], [&] {
            const std::string bytes = SpreadsheetExport::Encode(
                doc.GetCurrent(), impacts ? SpreadsheetExport::ERows::Impacts : SpreadsheetExport::ERows::Series, sheet);
            return std::vector<uint8_t>(bytes.begin(), bytes.end());
        }());

    const uint32_t pictures = dtFormat ? *dtFormat : ReadDtFormatSetting();
    // The summary page's text, or the series page's; an empty summary
    // writes just the byte-order mark.
    const std::u16string text = summary ? SummaryPageText::ExportText(doc, pictures)
                                        : SeriesPageText::ExportText(doc.GetCurrent(), energy, pictures);
    return WriteExport(paths[1], TextExport::Encode(text));
}

} // namespace Cli
