// brelmora-cli export FILE.vnr OUT [--energy] [--dtformat N] [--summary]:
// writes the text export of the series page, or with --summary of the
// summary page.
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "data/SummaryPageText.h"
#include "data/TextExport.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"

namespace Cli {

int ExportCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> paths;
    bool energy = false;
    bool summary = false;
    std::optional<uint32_t> dtFormat;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--energy") {
            energy = true;
        } else if (a == "--summary") {
            summary = true;
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
    if (paths.size() != 2)
        return UsageError("export");

    CPaperDoc doc;
    CTerminalUi ui;
    if (!OpenProject(doc, ui, paths[0]))
        return exitNotAProject;
    doc.SetEnergyMode(energy);

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
