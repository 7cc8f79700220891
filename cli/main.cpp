// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli: the headless front end of Brelmora for scripts and lab
// automation.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ArchiveCliStrings.h"
#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "SafetyCliStrings.h"
#include "StandardOutput.h"
#include "WatchStrings.h"
#include "TrendCliStrings.h"
#include "data/OutputTarget.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/trace/WireTrace.h"

namespace Cli {

namespace {

// The trace file BRELMORA_TRACE names; empty when none.
const char* EnvironmentTrace()
{
    const char* value = std::getenv(StreamIO::kTraceVariable);
    return value != nullptr ? value : "";
}

struct CommandEntry {
    const char* name;
    int (*run)(const std::vector<std::string>&);
};

const CommandEntry kCommands[] = {
    {"info", InfoCommand},
    {"export", ExportCommand},
    {"version", VersionCommand},
    {"download", DownloadCommand},
    {"identify", IdentifyCommand},
    {"delete-all", DeleteAllCommand},
    {"names", NamesCommand},
    {"option", OptionCommand},
    {"search", SearchCommand},
    {"update-check", UpdateCheckCommand},
    {"update-download", UpdateDownloadCommand},
    {"firmware-check", FirmwareCheckCommand},
    {"archive", ArchiveCommand},
    {"watch", WatchCommand},
};

void PrintUsage()
{
    Out("%s\n", Platform::ToUtf8(Text(kUsage)).c_str());
    Out("\n%s\n", Platform::ToUtf8(Text(kArchiveUsage)).c_str());
    Out("%s\n", Platform::ToUtf8(Text(kTrendUsage)).c_str());
    Out("\n%s\n", Platform::ToUtf8(Text(kWatchUsage)).c_str());
    Out("\n%s\n", Platform::ToUtf8(Text(kExitStatusUsage)).c_str());
}

} // namespace

int UsageError(const std::string& command)
{
    PrintError("brelmora-cli", Platform::FormatU(Text(kBadArguments).c_str(), command.c_str()));
    return exitUsage;
}

int UnknownOption(const std::string& command, const std::string& option)
{
    PrintError("brelmora-cli", Platform::FormatU(Text(kUnknownOption).c_str(), option.c_str(), command.c_str()));
    return exitUsage;
}

int BadArgument(const std::string& command, const std::string& argument, std::initializer_list<const char*> known)
{
    if (argument.size() < 2 || argument[0] != '-')
        return UsageError(command);
    for (const char* option : known) {
        if (argument == option)
            return UsageError(command);
    }
    return UnknownOption(command, argument);
}

} // namespace Cli

int main(int argc, char** argv)
{
    using namespace Cli;
    // A reader that went away is a write error (EPIPE) the commands report,
    // not a silent death by signal.
    std::signal(SIGPIPE, SIG_IGN);
    // The global options before the command: the wire trace, help, version.
    int first = 1;
    std::string traceFile;
    while (first < argc && argv[first][0] == '-') {
        const std::string option = argv[first];
        if (option == "--help" || option == "-h")
            return FinishOutput((PrintUsage(), exitOk));
        if (option == "--version")
            return FinishOutput((Out("brelmora-cli %d.%d.%d.%d\n", BRELMORA_VERSION_MAJOR, BRELMORA_VERSION_MINOR,
                                     BRELMORA_VERSION_PATCH, BRELMORA_VERSION_TWEAK),
                                 exitOk));
        if (option == "--trace" && traceFile.empty()) {
            if (first + 1 >= argc || argv[first + 1][0] == '\0') {
                PrintError("brelmora-cli", Platform::FormatU(Text(kOptionNeedsValue).c_str(), "--trace"));
                return exitUsage;
            }
            traceFile = argv[first + 1];
            first += 2;
            continue;
        }
        return UnknownOption("brelmora-cli", option);
    }
    if (argc <= first) {
        PrintError("brelmora-cli", Text(kNoCommand));
        return exitUsage;
    }
    const std::string name = argv[first];
    if (name == "help")
        return FinishOutput((PrintUsage(), exitOk));
    const std::vector<std::string> args(argv + first + 1, argv + argc);
    for (const CommandEntry& c : kCommands) {
        if (name == c.name) {
            if (!args.empty() && (args[0] == "--help" || args[0] == "-h"))
                return FinishOutput((PrintUsage(), exitOk));
            // Port mappings and settings come from the settings file: say
            // once when it cannot be used, before a command fails for it.
            if (const std::u16string problem = CSettingsStore::SettingsFileProblem(); !problem.empty())
                PrintError("brelmora-cli", problem);
            // A trace that was asked for but cannot be written stops the
            // command before the instrument is touched.
            std::u16string tracePath = Platform::FromUtf8(traceFile);
            const std::string traceName = traceFile.empty() ? std::string(EnvironmentTrace()) : traceFile;
            if (OutputTarget::IsSettingsFile(traceName)) {
                PrintError(traceName, Text(kOutputIsSettings));
                return exitUsage;
            }
            const uint32_t traceError = traceFile.empty() ? StreamIO::StartWireTraceFromEnvironment(&tracePath)
                                                          : StreamIO::StartWireTrace(tracePath);
            if (traceError != 0) {
                PrintError("brelmora-cli", StreamIO::DescribeTraceError(tracePath, traceError));
                return exitCannotWrite;
            }
            SetTracePath(Platform::ToUtf8(tracePath));
            StreamIO::Initialize();
            int rc = c.run(args);
            StreamIO::Shutdown();
            // Lines of the trace that could not be written (a full disk):
            // the trace is an output, and a lost one is no success.
            if (const uint32_t lost = StreamIO::WireTraceWriteError(); lost != 0) {
                PrintError("brelmora-cli", StreamIO::DescribeTraceError(tracePath, lost));
                if (rc == exitOk)
                    rc = exitCannotWrite;
            }
            return FinishOutput(rc);
        }
    }
    PrintError("brelmora-cli", Platform::FormatU(Text(kUnknownCommand).c_str(), name.c_str()));
    return exitUsage;
}
