// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's outputs without a window follow the rules of every
// output: --help and --version that cannot be written end with 3, and the
// targets of --print-pdf and --summary-picture are checked before the
// project is read (a project without series would otherwise end with 5
// first): missing folders, devices, read-only files, links to nothing,
// loops of links and the settings file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {

struct SRun {
    int status = -1;
    std::string err;
};

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs brelmora without a display with standard output on `out` (-1:
// /dev/null) and standard error collected.
SRun RunBrelmora(const std::vector<std::string>& args, int out = -1)
{
    const std::string errFile = TestEnv::TempDir() + "/output-checks.err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        const int target = out >= 0 ? out : ::open("/dev/null", O_WRONLY);
        ::dup2(target, 1);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, 2);
        const std::string program = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    SRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.err = Read(errFile);
    return run;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class AppOutputChecks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ViewTest::EnsureApplication();
        dir = TestEnv::TempDir() + "/output-checks";
        fs::remove_all(dir);
        fs::create_directories(dir);
        CPaperDoc doc;
        empty = dir + "/empty.vnr";
        ASSERT_TRUE(doc.WriteProject(Platform::FromUtf8(empty)));
    }

    std::string dir;
    std::string empty;   // no series: nothing to print, an empty summary
};

} // namespace

TEST_F(AppOutputChecks, HelpAndVersionThatCannotBeWrittenEndWithThree)
{
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    for (const char* option : {"--help", "--version"}) {
        const SRun run = RunBrelmora({option}, full);
        EXPECT_EQ(run.status, 3) << option;
        EXPECT_TRUE(Contains(run.err, "brelmora: standard output cannot be written: ")) << run.err;
    }
    ::close(full);

    // A reader that is gone: a write error, not success or death by SIGPIPE.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    const SRun run = RunBrelmora({"--version"}, fds[1]);
    ::close(fds[1]);
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.err, "standard output cannot be written")) << run.err;
    EXPECT_EQ(RunBrelmora({"--version"}).status, 0);
}

TEST_F(AppOutputChecks, TargetsThatCannotBeWrittenFailBeforeTheProjectIsRead)
{
    const std::string readOnly = dir + "/read-only.pdf";
    std::ofstream(readOnly) << "kept";
    ::chmod(readOnly.c_str(), 0444);
    const std::string dangling = dir + "/dangling.pdf";
    fs::create_symlink(dir + "/nowhere/target.pdf", dangling);
    fs::create_symlink(dir + "/nothing-yet.pdf", dir + "/dangling-in-folder.pdf");
    fs::create_symlink(dir + "/loop-b.pdf", dir + "/loop-a.pdf");
    fs::create_symlink(dir + "/loop-a.pdf", dir + "/loop-b.pdf");
    fs::create_symlink("/dev/full", dir + "/full.svg");

    struct SCase {
        std::vector<std::string> args;
        const char* message;
    };
    const SCase cases[] = {
        {{"--print-pdf", dir + "/missing/out.pdf", empty}, "The system cannot find the path specified."},
        {{"--print-pdf", "/dev/full", empty}, "This is not a regular file."},
        {{"--print-pdf", readOnly, empty}, "Access is denied."},
        {{"--print-pdf", dangling, empty}, "leads to nothing"},
        {{"--print-pdf", dir + "/dangling-in-folder.pdf", empty}, "leads to nothing"},
        {{"--print-pdf", dir + "/loop-a.pdf", empty}, "round in a circle"},
        {{"--print-pdf", dir, "--summary", empty}, "Access is denied."},
        {{"--summary-picture", dir + "/missing/out.svg", empty}, "The system cannot find the path specified."},
        {{"--summary-picture", dir + "/full.svg", empty}, "This is not a regular file."},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const SRun run = RunBrelmora(c.args);
        EXPECT_EQ(run.status, 3) << run.err;
        EXPECT_TRUE(Contains(run.err, c.args[1] + ": ")) << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    }
    EXPECT_EQ(Read(readOnly), "kept");
    EXPECT_FALSE(fs::exists(dir + "/nothing-yet.pdf"));
    EXPECT_FALSE(fs::exists(dir + "/missing"));

    // A target that can be written leaves the project's own outcome.
    EXPECT_EQ(RunBrelmora({"--print-pdf", dir + "/new.pdf", empty}).status, 5);
}

TEST_F(AppOutputChecks, TheSettingsFileAndItsLockAreNoOutputs)
{
    const char* registry = std::getenv("BRELMORA_REGISTRY");
    ASSERT_NE(registry, nullptr);
    const std::string before = Read(registry);
    const std::string sample = std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";
    for (const std::string& target : {std::string(registry), std::string(registry) + ".lock"}) {
        const SRun run = RunBrelmora({"--print-pdf", target, sample});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Contains(run.err, "settings file")) << run.err;
    }
    EXPECT_EQ(Read(registry), before);
}
