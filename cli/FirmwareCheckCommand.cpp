// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli firmware-check --port PORT [--json] [--server URL]: connects
// to the instrument, runs the firmware check in the foreground and prints
// what it found.  The registry counters of failed checks change as they do
// in the desktop program; a reminder that is due goes to standard error.
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Commands.h"
#include "DeviceSession.h"
#include "JsonWriter.h"
#include "StandardOutput.h"
#include "UpdateCliStrings.h"
#include "UpdateCliSupport.h"
#include "connection/FirmwareCheck.h"
#include "device/VeltranoDevice.h"
#include "platform/Text.h"

namespace Cli {

namespace {

// The reminder goes to standard error as soon as it is due.
class CTerminalFirmwareReport : public IFirmwareReport {
public:
    void OnVersionFound(uint32_t, uint64_t) override {}
    void OnReminder(const std::u16string& text) override { PrintError("brelmora-cli", text); }
};

void WriteVersionOrNull(CJsonWriter& w, const CVersion& v)
{
    if (v.IsValid())
        w.String(v.Format(4));
    else
        w.Null();
}

} // namespace

int FirmwareCheckCommand(const std::vector<std::string>& given)
{
    std::vector<std::string> args = given;
    Update::SFtpServer server;
    if (const int rc = TakeServerOption("firmware-check", args, server))
        return rc;
    std::string portText;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size() && portText.empty() && !args[i + 1].empty())
            portText = args[++i];
        else if (args[i] == "--json")
            json = true;
        else
            return BadArgument("firmware-check", args[i], {"--port"});
    }
    if (portText.empty())
        return UsageError("firmware-check");
    SPortChoice port;
    if (const int rc = ResolvePort("firmware-check", portText, port))
        return rc;
    CDeviceSession session(port);
    if (const int rc = session.Connect())
        return rc;

    CTerminalFirmwareReport report;
    CFirmwareCheck check(&report, Update::SProgramIdentity::OfThisProgram(), server);
    if (!check.ReadDevice(session.Device())) {
        session.PrintMessage(Text(kDeviceNotRead));
        return exitCommunication;
    }
    const SFirmwareCheckResult result = check.RunCheck();
    if (!result.reachedServer || !result.listed)
        return ReportUpdateFailure(server, result.errorText);

    using Platform::ToUtf8;
    if (json) {
        CJsonWriter w;
        w.BeginObject();
        w.Key("hardwareId");
        w.String(check.GetSubFolder());
        w.Key("folder");
        w.String(check.GetFolder());
        w.Key("installed");
        w.BeginArray();
        for (const Device::SContentEntry& entry : check.GetInstalled().Entries()) {
            w.BeginObject();
            w.Key("kind");
            w.Number(entry.kind);
            w.Key("version");
            w.String(entry.version.Format(4));
            w.EndObject();
        }
        w.EndArray();
        w.Key("newestFirmware");
        WriteVersionOrNull(w, result.newestFirmware);
        w.Key("newestOs");
        WriteVersionOrNull(w, result.newestOs);
        w.EndObject();
        Out("%s\n", w.Text().c_str());
        return exitOk;
    }
    PrintLine(Platform::FormatU(Text(kHardwareIdLine).c_str(), ToUtf8(check.GetSubFolder()).c_str()));
    PrintLine(Platform::FormatU(Text(kFolderLine).c_str(), ToUtf8(check.GetFolder()).c_str()));
    for (const Device::SContentEntry& entry : check.GetInstalled().Entries())
        PrintLine(Platform::FormatU(Text(kInstalledLine).c_str(), static_cast<int>(entry.kind),
                                    ToUtf8(entry.version.Format(4)).c_str()));
    if (result.folderMissing)
        PrintLine(Text(kNoHardwareFolder));
    if (result.newestFirmware.IsValid())
        PrintLine(Platform::FormatU(Text(kNewestFirmwareLine).c_str(), ToUtf8(result.newestFirmware.Format(4)).c_str()));
    else
        PrintLine(Text(kNoNewerFirmware));
    if (result.newestOs.IsValid())
        PrintLine(Platform::FormatU(Text(kNewestOsLine).c_str(), ToUtf8(result.newestOs.Format(4)).c_str()));
    return exitOk;
}

} // namespace Cli
