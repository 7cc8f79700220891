// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli --trace FILE and BRELMORA_TRACE: every transfer with the
// instrument lands in the trace file, one line each; a trace file that
// cannot be written stops the command before the instrument is asked.
#ifdef BRELMORA_HAVE_SIM

#include "DeviceCliSupport.h"

#include <cstdlib>
#include <sstream>

using namespace DeviceCliTest;

namespace {

class DeviceTrace : public SimulatedVeltrano {};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST_F(DeviceTrace, GlobalOptionTracesEveryTransfer)
{
    Start();
    const std::string trace = TestEnv::TempDir() + "/cli-trace.txt";
    const SRun r = RunCli({"--trace", trace, "identify", "--port", Port()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = Lines(ReadAll(trace));
    ASSERT_GE(lines.size(), 2u);
    // The identification goes out as DLE, "@ID@" CR; the acknowledge and the
    // answer (read a byte at a time, "V" first) come back.
    EXPECT_TRUE(Contains(lines[0], "\twrite\t1\t10\t0")) << lines[0];
    EXPECT_TRUE(Contains(lines[1], "\tread\t1\t06\t0")) << lines[1];
    bool sentId = false, readAnswer = false;
    for (const std::string& line : lines) {
        EXPECT_TRUE(Contains(line, "\t\\\\.\\COM41\t")) << line;
        sentId = sentId || Contains(line, "\twrite\t5\t40 49 44 40 0D\t0");
        readAnswer = readAnswer || Contains(line, "\tread\t1\t56\t0");
    }
    EXPECT_TRUE(sentId) << ReadAll(trace);
    EXPECT_TRUE(readAnswer) << ReadAll(trace);
}

TEST_F(DeviceTrace, EnvironmentVariableTracesToo)
{
    Start();
    const std::string trace = TestEnv::TempDir() + "/env-trace.txt";
    setenv("BRELMORA_TRACE", trace.c_str(), 1);
    const SRun r = RunCli({"identify", "--port", Port()});
    unsetenv("BRELMORA_TRACE");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(Lines(ReadAll(trace)).empty());
}

TEST_F(DeviceTrace, UnwritableTraceFileStopsBeforeTheInstrument)
{
    Start();
    const SRun r = RunCli({"--trace", "/nonexistent/brelmora-test/trace.txt", "identify", "--port", Port()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(Contains(r.err, "/nonexistent/brelmora-test/trace.txt")) << r.err;
    EXPECT_EQ(m_instrument->GetRequestCount(), 0u);
    EXPECT_EQ(RunCli({"--trace"}).exitCode, 1);
}

#endif // BRELMORA_HAVE_SIM
