// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-cli's outputs: no output replaces an input or another output,
// damaged projects are no success, standard output failures count, and
// text from files cannot drive the terminal.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "DeviceCliSupport.h"
#include "data/SeriesBytesBuilder.h"

using namespace DeviceCliTest;
namespace fs = std::filesystem;

namespace {

const std::string kProgram = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora-cli";

std::string Sample()
{
    return std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr";
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A project whose current series block holds one and a half series with
// consistent lengths: it opens with the damage warning.
std::string DamagedProject(const std::string& folder)
{
    using namespace DataTest;
    Series full{"FULL", 1, 0, {80, 90}}, cut{"CUT", 2, 0, {60, 70, 80}};
    std::vector<uint8_t> records = StoredRecords({full, cut});
    records.resize(records.size() - 6);
    const std::vector<uint8_t> info = InfoBlock("S-2");
    Bytes b;
    b.Text(u"Vantor Brelmora project file").U16(1).U16(0).U16(0).U16(0).U16(3);
    b.Block(info).Block(records).Block(info).Block(records);
    for (int k = 0; k < 15; ++k)
        b.U32(0);
    const std::string path = folder + "/damaged.vnr";
    WriteBytes(path, b.data);
    return path;
}

// brelmora-cli with standard output on `stdoutFd` (closed in the child
// when -1 is given, it is the write end of a pipe whose reader is gone);
// returns the exit status, standard error in `err`.
int RunWithStdout(const std::vector<std::string>& args, int stdoutFd, std::string& err)
{
    const std::string errFile = TestEnv::TempDir() + "/safety.err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(stdoutFd, 1);
        const int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(e, 2);
        std::vector<char*> argv{const_cast<char*>(kProgram.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(kProgram.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    err = ReadAll(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(CliOutputSafety, AnOutputThatIsAnInputOrAnotherOutputIsRefused)
{
    const std::string dir = NewFolder("same-file");
    const std::string project = dir + "/a.vnr";
    fs::copy_file(Sample(), project);
    fs::create_symlink(project, dir + "/link.vnr");
    fs::create_hard_link(project, dir + "/hard.vnr");
    const std::string before = ReadAll(project);
    for (const std::string& out : {project, dir + "/./a.vnr", dir + "/link.vnr", dir + "/hard.vnr"}) {
        const SRun r = RunCli({"export", project, out});
        EXPECT_EQ(r.exitCode, 1) << out;
        EXPECT_TRUE(Contains(r.err, "is the project itself")) << r.err;
    }
    EXPECT_EQ(ReadAll(project), before);

    // The download's project, export and trace, refused before the port is
    // opened (COM41 leads nowhere here) and before anything is written.
    const SRun same = RunCli({"download", "--port", "COM41:", "--save", dir + "/new.vnr", "--export",
                              dir + "/sub/../new.vnr"});
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_TRUE(Contains(same.err, "are the same file")) << same.err;
    const SRun linked = RunCli({"download", "--port", "COM41:", "--save", project, "--export", dir + "/hard.vnr"});
    EXPECT_EQ(linked.exitCode, 1);
    const SRun trace = RunCli({"--trace", dir + "/t.log", "download", "--port", "COM41:", "--save", dir + "/../same-file/t.log"});
    EXPECT_EQ(trace.exitCode, 1) << trace.err;
    EXPECT_FALSE(fs::exists(dir + "/new.vnr"));
    EXPECT_EQ(ReadAll(project), before);
    EXPECT_EQ(fs::file_size(dir + "/t.log"), 0u);
}

TEST(CliOutputSafety, ADamagedProjectExitsWithTwoUnlessAccepted)
{
    const std::string dir = NewFolder("damaged");
    const std::string project = DamagedProject(dir);
    const SRun info = RunCli({"info", project});
    EXPECT_EQ(info.exitCode, 2);
    EXPECT_TRUE(info.out.empty()) << info.out;
    EXPECT_TRUE(Contains(info.err, "damaged")) << info.err;
    const SRun exported = RunCli({"export", project, dir + "/out.txt"});
    EXPECT_EQ(exported.exitCode, 2);
    EXPECT_FALSE(fs::exists(dir + "/out.txt"));

    const SRun accepted = RunCli({"info", "--json", "--accept-damaged", project});
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
    const nlohmann::json j = nlohmann::json::parse(accepted.out);
    EXPECT_FALSE(j["complete"].get<bool>());
    EXPECT_EQ(j["current"]["series"].size(), 2u);
    EXPECT_EQ(RunCli({"export", project, dir + "/out.txt", "--accept-damaged"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(dir + "/out.txt"));
}

TEST(CliOutputSafety, StandardOutputThatCannotBeWrittenExitsWithThree)
{
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    const std::vector<std::vector<std::string>> commands = {
        {"info", Sample()}, {"info", "--json", Sample()}, {"version"}, {"export", Sample(), "-"}, {"--help"}};
    for (const auto& args : commands) {
        std::string err;
        EXPECT_EQ(RunWithStdout(args, full, err), 3) << args[0];
        EXPECT_TRUE(Contains(err, "standard output cannot be written")) << err;
    }
    ::close(full);

    // A reader that is gone: a write error, not a death by SIGPIPE.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    std::string err;
    EXPECT_EQ(RunWithStdout({"info", "--json", Sample()}, fds[1], err), 3);
    EXPECT_TRUE(Contains(err, "standard output cannot be written")) << err;
    ::close(fds[1]);

    // "-" is standard output: the export's bytes, nothing written elsewhere.
    const SRun r = RunCli({"export", Sample(), "-"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.substr(0, 2), "\xFF\xFE");
    EXPECT_FALSE(fs::exists("-"));
}

TEST(CliOutputSafety, ControlCharactersFromTheFileAreEscaped)
{
    using namespace DataTest;
    const std::string dir = NewFolder("controls");
    Series s{"R\x1b[2J1m", 7, 0, {80, 90}};
    const std::string project = dir + "/controls.vnr";
    WriteBytes(project, HandProject(2, {s}, {std::u16string(u"left\0right\x9b" u"0;t\x07", 15)}));

    const SRun text = RunCli({"info", project});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_FALSE(Contains(text.out, "\x1b"));
    EXPECT_FALSE(Contains(text.out, "\xc2\x9b"));
    EXPECT_EQ(text.out.find('\0'), std::string::npos);
    EXPECT_TRUE(Contains(text.out, "R\\x1b[2J1m")) << text.out;
    // The NUL no longer ends the row: the comment goes on after it.
    EXPECT_TRUE(Contains(text.out, "left\\x00right\\x9b0;t\\x07\n")) << text.out;

    const SRun json = RunCli({"info", "--json", project});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_FALSE(Contains(json.out, "\x1b"));
    EXPECT_FALSE(Contains(json.out, "\xc2\x9b"));
    EXPECT_TRUE(Contains(json.out, "\\u009b")) << json.out;
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["current"]["series"][0]["comment"].get<std::string>(),
              std::string("left\0right\xc2\x9b" "0;t\x07", 16));
    EXPECT_EQ(j["current"]["series"][0]["rollId"].get<std::string>(), "R\x1b[2J1m");
}
