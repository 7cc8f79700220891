// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli option --port COM<n>: [on|off]: reads or switches the
// instrument option "Store invalid measurements as zero".
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceCliStrings.h"
#include "DeviceSession.h"
#include "StandardOutput.h"
#include "device/VeltranoDevice.h"
#include "platform/Text.h"

namespace Cli {

namespace {

// The instrument's pause before the option reads back as switched.
constexpr int kSettleMs = 500;

void PrintState(bool on)
{
    const std::u16string line = Platform::FormatU(Text(kOptionLine).c_str(), Platform::ToUtf8(Text(kOptionName)).c_str(),
                                                  Platform::ToUtf8(Text(on ? kOptionOn : kOptionOff)).c_str());
    Out("%s\n", Platform::ToUtf8(line).c_str());
}

// A refusal by the instrument (an error code instead of an answer) means
// its firmware does not know the option.
int ReportOptionFailure(const CDeviceSession& session)
{
    if (session.LastFailure() == Device::ELinkFailure::InstrumentError) {
        session.PrintMessage(Text(kOptionNotSupported));
        return exitCannotTransfer;
    }
    return session.ReportFailure();
}

} // namespace

int OptionCommand(const std::vector<std::string>& args)
{
    std::string portText;
    int wanted = -1;   // -1: only read
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" && i + 1 < args.size() && portText.empty() && !args[i + 1].empty())
            portText = args[++i];
        else if ((a == "on" || a == "off") && wanted < 0)
            wanted = a == "on" ? 1 : 0;
        else
            return BadArgument("option", a, {"--port"});
    }
    if (portText.empty())
        return UsageError("option");
    SPortChoice port;
    if (const int rc = ResolvePort("option", portText, port))
        return rc;
    CDeviceSession session(port);
    if (const int rc = session.Connect())
        return rc;
    Device::CVeltranoDevice& device = session.Device();

    if (wanted >= 0) {
        if (!device.SetOption88(wanted == 1)) {
            // Switching on is what older firmware refuses.
            if (wanted == 1)
                return ReportOptionFailure(session);
            return session.ReportFailure();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    }
    bool on = false;
    if (!device.QueryOption88(on))
        return ReportOptionFailure(session);
    PrintState(on);
    // The instrument kept its old state although it accepted the request.
    if (wanted >= 0 && on != (wanted == 1)) {
        session.PrintMessage(Text(kOptionNotSupported));
        return exitCannotTransfer;
    }
    return exitOk;
}

} // namespace Cli
