// SPDX-License-Identifier: GPL-3.0-or-later
// Saves write only where a file belongs: regular files (followed through
// symbolic links) are replaced whole; devices, pipes, sockets, read-only
// files and broken links are refused with the file named; a process killed
// while saving leaves nothing behind, and long names still save.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "data/AtomicFile.h"
#include "data/PaperDoc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"
#include "DocTestSupport.h"

using namespace DataTest;
namespace fs = std::filesystem;

namespace {

std::string Folder(const std::string& name)
{
    const std::string dir = TempPath(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// The error number a write of "new" to `path` fails with; 0 on success.
uint32_t WriteText(const std::string& path, const std::string& text = "new")
{
    try {
        AtomicFile::Write(Platform::FromUtf8(path), [&text](StreamIO::CIoStream& stream) {
            stream.Write(text.data(), static_cast<uint32_t>(text.size()));
        });
    } catch (const Platform::CFileException& e) {
        EXPECT_EQ(e.GetFileName(), Platform::FromUtf8(path));
        return e.GetOsError();
    }
    return 0;
}

std::string Content(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Entries(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++n;
    return n;
}

} // namespace

TEST(SafeSaveTargets, OnlyRegularFilesAreReplaced)
{
    const std::string dir = Folder("targets");
    EXPECT_EQ(WriteText("/dev/null"), Platform::ERROR_BAD_FILE_TYPE);
    EXPECT_EQ(WriteText("/dev/full"), Platform::ERROR_BAD_FILE_TYPE);

    const std::string fifo = dir + "/out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteText(fifo), Platform::ERROR_BAD_FILE_TYPE);
    EXPECT_TRUE(fs::is_fifo(fifo));

    const std::string sock = dir + "/out.sock";
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", sock.c_str());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(WriteText(sock), Platform::ERROR_BAD_FILE_TYPE);
    ::close(s);

    EXPECT_EQ(WriteText(dir), Platform::ERROR_ACCESS_DENIED);

    // No write bit at all: read-only, also for the superuser.
    const std::string readOnly = dir + "/read-only.vnr";
    std::ofstream(readOnly) << "old";
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(WriteText(readOnly), Platform::ERROR_ACCESS_DENIED);
    EXPECT_EQ(Content(readOnly), "old");

    // Nothing was left behind by the refused saves.
    EXPECT_EQ(Entries(dir), 3u);

    // The desktop program and the command line say which file and why.
    CPaperDoc doc;
    FakeUi ui;
    doc.SetUi(&ui);
    EXPECT_FALSE(doc.WriteProject(Platform::FromUtf8(fifo)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].second.find(Platform::FromUtf8(fifo)), std::u16string::npos);
    EXPECT_NE(ui.messages[0].second.find(u"not a regular file"), std::u16string::npos);
}

TEST(SafeSaveTargets, LinksAreFollowedAndBrokenOnesRefused)
{
    const std::string dir = Folder("links");
    const std::string file = dir + "/real.vnr";
    const std::string link = dir + "/link.vnr";
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0640);
    fs::create_symlink("real.vnr", link);
    EXPECT_EQ(WriteText(link), 0u);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Content(file), "new");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string dangling = dir + "/dangling.vnr";
    fs::create_symlink("nowhere/none.vnr", dangling);
    EXPECT_EQ(WriteText(dangling), Platform::ERROR_CANT_RESOLVE_FILENAME);
    EXPECT_TRUE(fs::is_symlink(dangling));

    const std::string a = dir + "/a.vnr";
    const std::string b = dir + "/b.vnr";
    fs::create_symlink("b.vnr", a);
    fs::create_symlink("a.vnr", b);
    EXPECT_EQ(WriteText(a), Platform::ERROR_CANT_RESOLVE_FILENAME);
    EXPECT_EQ(Entries(dir), 5u);
}

TEST(SafeSaveTargets, AKilledSaveLeavesNothingAndLongNamesSave)
{
    const std::string dir = Folder("killed");
    const std::string target = dir + "/rolls.vnr";
    std::ofstream(target) << "old";

    // A child killed while it writes: the target is untouched and no file
    // is left in the folder.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            AtomicFile::Write(Platform::FromUtf8(target), [](StreamIO::CIoStream& stream) {
                stream.Write("partial", 7);
                ::pause();
            });
        } catch (...) {
        }
        ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(Content(target), "old");
    EXPECT_EQ(Entries(dir), 1u);

    // A hidden leftover of a process that is gone is removed by the next
    // save in the folder; one of a live process is not.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, &status, 0);
    const std::string stale = dir + "/.brelmora-" + std::to_string(gone) + "-1.tmp";
    const std::string live = dir + "/.brelmora-1-1.tmp";
    std::ofstream(stale) << "x";
    std::ofstream(live) << "x";
    EXPECT_EQ(WriteText(target), 0u);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    fs::remove(live);

    // A 250-character name saves: the temporary name does not grow with it.
    const std::string longName = dir + "/" + std::string(246, 'r') + ".vnr";
    EXPECT_EQ(WriteText(longName), 0u);
    EXPECT_EQ(Content(longName), "new");
    EXPECT_EQ(Entries(dir), 2u);
}
