// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli identify --port COM<n>:  and  delete-all --port COM<n>: --yes
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "DeviceSession.h"
#include "StandardOutput.h"
#include "connection/PaperConnection.h"
#include "device/VeltranoDevice.h"
#include "platform/Text.h"

namespace Cli {

namespace {

// Reads "--port X" (and "--yes" when `yes` is given); false on anything else.
// Takes --port PORT (and --yes when `yes` is given); on a refused argument
// `bad` receives it.
bool ParsePortArgs(const std::vector<std::string>& args, std::string& portText, bool* yes, std::string& bad)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size() && portText.empty() && !args[i + 1].empty()) {
            portText = args[++i];
        } else if (yes != nullptr && args[i] == "--yes") {
            *yes = true;
        } else {
            bad = args[i];
            return false;
        }
    }
    return !portText.empty();
}

} // namespace

int IdentifyCommand(const std::vector<std::string>& args)
{
    std::string portText, bad;
    if (!ParsePortArgs(args, portText, nullptr, bad))
        return BadArgument("identify", bad, {"--port"});
    SPortChoice port;
    if (const int rc = ResolvePort("identify", portText, port))
        return rc;
    CDeviceSession session(port);
    if (const int rc = session.Connect())
        return rc;
    const std::u16string text = Platform::ReplaceAll(session.Device().GetInfoText(), u"\r\n", u"\n");
    Out("%s\n", Platform::ToUtf8(text).c_str());
    return exitOk;
}

int DeleteAllCommand(const std::vector<std::string>& args)
{
    std::string portText;
    bool yes = false;
    std::string bad;
    if (!ParsePortArgs(args, portText, &yes, bad))
        return BadArgument("delete-all", bad, {"--port", "--yes"});
    SPortChoice port;
    if (const int rc = ResolvePort("delete-all", portText, port))
        return rc;
    // Deleting cannot be undone: without the explicit confirmation nothing
    // is sent to the instrument.
    if (!yes) {
        PrintError("brelmora-cli", Text(kDeleteNeedsYes));
        return UsageError("delete-all");
    }
    // The driver asks before deleting; --yes is the answer.  It shows the
    // outcome, and what made a failed deletion fail is added here.
    CDeviceSession session(port);
    session.SetAnswer(IPrompt::answerYes);
    switch (session.Connection().DeleteAllSeries()) {
    case EDeleteResult::Deleted:
        return exitOk;
    case EDeleteResult::Failed:
        return session.ReportFailure(session.LastFailure(), session.LastInstrumentError());
    default:
        return exitNoInstrument;
    }
}

} // namespace Cli
