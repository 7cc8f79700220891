// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line conventions every program keeps: --help and --version,
// unknown options refused with "Try --help", and the bash completion.
#include <gtest/gtest.h>

#include <filesystem>

#include "DeviceCliSupport.h"
#include "support/ChildProcess.h"

using namespace DeviceCliTest;
namespace fs = std::filesystem;

namespace {

struct SProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` of this build through the shell in `folder`.
SProgramRun RunProgram(const std::string& program, const std::string& args, const std::string& folder)
{
    const std::string base = TestEnv::TempDir() + "/conv";
    const std::string cmd = "cd '" + folder + "' && '" + std::string(BRELMORA_BINARY_DIR) + "/bin/" + program +
                            "' " + args + " >'" + base + ".out' 2>'" + base + ".err'";
    SProgramRun r;
    const int status = std::system(cmd.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(base + ".out");
    r.err = ReadAll(base + ".err");
    return r;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(CliConventions, EveryProgramHasHelpVersionAndRefusesUnknownOptions)
{
    const std::string folder = NewFolder("conventions");
    for (const std::string program : {"brelmora-cli", "veltrano-sim", "brelmora-make-sample"}) {
        SProgramRun r = RunProgram(program, "--version", folder);
        EXPECT_EQ(r.exitCode, 0) << program;
        EXPECT_EQ(r.out, program + " 1.8.1.0\n");

        r = RunProgram(program, "--help", folder);
        EXPECT_EQ(r.exitCode, 0) << program;
        EXPECT_EQ(r.out.rfind("usage: " + program + " ", 0), 0u) << r.out.substr(0, 80);
        EXPECT_TRUE(Contains(r.out, "Exit status: 0 ")) << program;

        r = RunProgram(program, "--no-such-option", folder);
        EXPECT_EQ(r.exitCode, 1) << program;
        EXPECT_TRUE(EndsWith(r.err, "Try --help\n")) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    // Nothing was written by any of them, and no file is named "--help".
    EXPECT_TRUE(FolderEntries(folder).empty());

    // Options of a command, and the command's own --help.
    SProgramRun r = RunProgram("brelmora-cli", "info --frob x.vnr", folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(EndsWith(r.err, "Try --help\n")) << r.err;
    // Every command names an option it does not know; a known option used
    // wrongly gets the command's usage error.
    for (const std::string command : {"download --port COM41: --save x.vnr", "identify", "delete-all --yes",
                                      "option", "firmware-check", "update-check", "update-download"}) {
        r = RunProgram("brelmora-cli", command + " --frob", folder);
        EXPECT_EQ(r.exitCode, 1) << command;
        const std::string name = command.substr(0, command.find(' '));
        EXPECT_TRUE(Contains(r.err, "unknown option \"--frob\" for \"" + name + "\". Try --help")) << r.err;
    }
    r = RunProgram("brelmora-cli", "identify --port", folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "wrong arguments for \"identify\". Try --help")) << r.err;
    r = RunProgram("brelmora-cli", "export --help", folder);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("usage: brelmora-cli ", 0), 0u);
    r = RunProgram("brelmora-make-sample", "out.vnr 12x", folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(folder + "/out.vnr"));
}

TEST(CliConventions, BashCompletionOffersCommandsOptionsAndPorts)
{
    const std::string script = std::string(BRELMORA_SOURCE_DIR) + "/resources/completion/brelmora-cli.bash";
    auto complete = [&](const std::string& words, int cword) {
        const std::string out = TestEnv::TempDir() + "/complete.out";
        const std::string cmd = "bash -c 'source \"" + script + "\"; COMP_WORDS=(" + words + "); COMP_CWORD=" +
                                std::to_string(cword) + "; _brelmora_cli; echo \"${COMPREPLY[*]}\"' >'" + out + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        return ReadAll(out);
    };
    EXPECT_EQ(complete("brelmora-cli do", 1), "download\n");
    EXPECT_EQ(complete("brelmora-cli --trace t.log se", 3), "search\n");
    EXPECT_TRUE(Contains(complete("brelmora-cli info --", 2), "--accept-damaged"));
    EXPECT_TRUE(Contains(complete("brelmora-cli search --", 2), "--ip --usb"));
    EXPECT_TRUE(Contains(complete("brelmora-cli identify --port I", 3), "IP:"));
}
