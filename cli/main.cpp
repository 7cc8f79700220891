// brelmora-cli: the headless front end of Brelmora for scripts and lab
// automation.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliStrings.h"
#include "Commands.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/trace/WireTrace.h"

namespace Cli {

namespace {

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
};

void PrintUsage(FILE* out)
{
    std::fprintf(out, "%s\n", Platform::ToUtf8(Text(kUsage)).c_str());
}

} // namespace

int UsageError(const std::string& command)
{
    PrintError("brelmora-cli", Platform::FormatU(Text(kBadArguments).c_str(), command.c_str()));
    PrintUsage(stderr);
    return exitUsage;
}

} // namespace Cli

int main(int argc, char** argv)
{
    using namespace Cli;
    // The global option before the command: the wire trace.
    int first = 1;
    std::string traceFile;
    if (argc >= 2 && std::strcmp(argv[1], "--trace") == 0) {
        if (argc < 3 || argv[2][0] == '\0') {
            PrintUsage(stderr);
            return exitUsage;
        }
        traceFile = argv[2];
        first = 3;
    }
    if (argc <= first) {
        PrintUsage(stderr);
        return exitUsage;
    }
    const std::string name = argv[first];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return exitOk;
    }
    const std::vector<std::string> args(argv + first + 1, argv + argc);
    for (const CommandEntry& c : kCommands) {
        if (name == c.name) {
            // Port mappings and settings come from the settings file: say
            // once when it cannot be used, before a command fails for it.
            if (const std::u16string problem = CSettingsStore::SettingsFileProblem(); !problem.empty())
                PrintError("brelmora-cli", problem);
            // A trace that was asked for but cannot be written stops the
            // command before the instrument is touched.
            std::u16string tracePath = Platform::FromUtf8(traceFile);
            const uint32_t traceError = traceFile.empty() ? StreamIO::StartWireTraceFromEnvironment(&tracePath)
                                                          : StreamIO::StartWireTrace(tracePath);
            if (traceError != 0) {
                PrintError("brelmora-cli", StreamIO::DescribeTraceError(tracePath, traceError));
                return exitCannotWrite;
            }
            StreamIO::Initialize();
            const int rc = c.run(args);
            StreamIO::Shutdown();
            return rc;
        }
    }
    PrintError("brelmora-cli", Platform::FormatU(Text(kUnknownCommand).c_str(), name.c_str()));
    PrintUsage(stderr);
    return exitUsage;
}
