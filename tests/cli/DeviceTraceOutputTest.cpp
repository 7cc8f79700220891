// SPDX-License-Identifier: GPL-3.0-or-later
// The wire trace follows the rules of every output: a regular file, new or
// appended to, opened without blocking and checked before the instrument is
// asked; a trace that loses lines ends the command with 3 naming it.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

using namespace DeviceCliTest;

namespace {

class DeviceTraceOutput : public SimulatedVeltrano {};

// Exit status of brelmora-cli run by a shell that first limits the size of
// the files it writes to `limitKb` KiB (a full disk for the trace), with
// standard error in `errFile`.
int RunWithFileLimit(int limitKb, const std::string& arguments, const std::string& errFile)
{
    const std::string cmd = "/bin/bash -c 'trap \"\" XFSZ; ulimit -f " + std::to_string(limitKb) + "; exec \"" +
                            std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli\" " + arguments + "' </dev/null >/dev/null 2>'" +
                            errFile + "'";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST_F(DeviceTraceOutput, SpecialAndReadOnlyTracesAreRefusedBeforeTheInstrumentIsAsked)
{
    Start();
    const std::string folder = NewFolder("trace-targets");
    const std::string fifo = folder + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string readOnly = folder + "/ro.vnr";
    std::ofstream(readOnly) << "a read-only project";
    ::chmod(readOnly.c_str(), 0444);
    std::filesystem::create_symlink(folder + "/nothing.log", folder + "/dangling.log");

    struct SCase {
        std::string trace;
        const char* cause;
    };
    const SCase cases[] = {
        {fifo, "This is not a regular file."},
        {"/dev/full", "This is not a regular file."},
        {readOnly, "Access is denied."},
        {folder, "Access is denied."},
        {folder + "/dangling.log", "The symbolic link leads to nothing"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.trace);
        const SRun option = RunCli({"--trace", c.trace, "identify", "--port", Port()}, 10000);
        EXPECT_FALSE(option.timedOut);
        EXPECT_EQ(option.exitCode, 3) << option.err;
        EXPECT_TRUE(Contains(option.err, "The wire trace cannot be written to " + c.trace + ": " + c.cause))
            << option.err;

        setenv("BRELMORA_TRACE", c.trace.c_str(), 1);
        const SRun environment = RunCli({"identify", "--port", Port()}, 10000);
        unsetenv("BRELMORA_TRACE");
        EXPECT_FALSE(environment.timedOut);
        EXPECT_EQ(environment.exitCode, 3) << environment.err;
    }
    EXPECT_EQ(m_instrument->GetRequestCount(), 0u);
    EXPECT_EQ(ReadAll(readOnly), "a read-only project");
    EXPECT_FALSE(std::filesystem::exists(folder + "/nothing.log"));

    // The settings file is never a trace.
    const std::string registry = std::getenv("BRELMORA_REGISTRY");
    const std::string settings = ReadAll(registry);
    EXPECT_EQ(RunCli({"--trace", registry, "identify", "--port", Port()}).exitCode, 1);
    EXPECT_EQ(ReadAll(registry), settings);
    EXPECT_EQ(m_instrument->GetRequestCount(), 0u);
}

TEST_F(DeviceTraceOutput, ATraceThatLosesLinesEndsWithThreeNamingIt)
{
    Start();
    const std::string folder = NewFolder("trace-full");
    const std::string trace = folder + "/trace.log";
    std::ofstream(trace) << std::string(1024, '#');   // at the limit: every line fails
    const std::string err = folder + "/err.txt";
    EXPECT_EQ(RunWithFileLimit(1, "--trace \"" + trace + "\" identify --port " + Port(), err), 3) << ReadAll(err);
    EXPECT_TRUE(Contains(ReadAll(err), "The wire trace cannot be written to " + trace + ": ")) << ReadAll(err);

    // Room enough: the same run succeeds and appends.
    EXPECT_EQ(RunWithFileLimit(1024, "--trace \"" + trace + "\" identify --port " + Port(), err), 0) << ReadAll(err);
    EXPECT_GT(ReadAll(trace).size(), 1024u);
}

#endif // BRELMORA_HAVE_SIM
