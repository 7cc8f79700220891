// SPDX-License-Identifier: GPL-3.0-or-later
// Projects opened from paths that are not project files: pipes, devices,
// sockets, folders, huge and cut files.  Each is refused at once, without a
// blocking read, with the message and a second line naming the file and
// saying what it is.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "data/PaperDoc.h"
#include "DocTestSupport.h"

using namespace DataTest;

namespace {

const std::u16string kNotAProject = u"This is not a Brelmora project file or there was an error while reading.\n";

// Opens `path` and returns the message's second line.
std::u16string OpenFails(const std::string& path)
{
    CPaperDoc doc;
    FakeUi ui;
    doc.SetUi(&ui);
    EXPECT_FALSE(doc.OpenProject(Platform::FromUtf8(path)));
    EXPECT_TRUE(doc.GetPath().empty());
    if (ui.messages.size() != 1u) {
        ADD_FAILURE() << "messages: " << ui.messages.size();
        return {};
    }
    EXPECT_EQ(ui.messages[0].first, IDocumentUi::messageError);
    const std::u16string& text = ui.messages[0].second;
    EXPECT_EQ(text.substr(0, kNotAProject.size()), kNotAProject);
    return text.substr(std::min(text.size(), kNotAProject.size()));
}

std::u16string Line(const std::string& path, const char16_t* reason)
{
    return Platform::FromUtf8(path) + u": " + reason;
}

} // namespace

TEST(ProjectSpecialFiles, PipesDevicesSocketsAndFoldersAreRefusedWithoutReading)
{
    // A pipe with a writer that never writes: a read would block forever.
    const std::string fifo = TempPath("project.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(OpenFails(fifo), Line(fifo, u"it is a named pipe (FIFO), not a file."));
    ::close(writer);
    ::close(reader);
    // Without any writer the open itself must not wait for one.
    EXPECT_EQ(OpenFails(fifo), Line(fifo, u"it is a named pipe (FIFO), not a file."));

    for (const char* device : {"/dev/zero", "/dev/ptmx", "/dev/null"})
        EXPECT_EQ(OpenFails(device), Line(device, u"it is a device, not a file."));

    const std::string socketPath = TempPath("project.sock");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(OpenFails(socketPath), Line(socketPath, u"it is a socket, not a file."));
    ::close(sock);

    const std::string folder = TempPath("project-folder.vnr");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(OpenFails(folder), Line(folder, u"it is a folder, not a file."));

    const std::string missing = TempPath("missing.vnr");
    EXPECT_EQ(OpenFails(missing), Line(missing, u"The system cannot find the file specified."));
}

TEST(ProjectSpecialFiles, HugeAndCutFilesSayWhy)
{
    // Longer than the format's 32-bit lengths can describe (a sparse file).
    const std::string huge = TempPath("huge.vnr");
    std::filesystem::copy_file(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr", huge);
    std::filesystem::resize_file(huge, 0x100000000ull + 10);
    EXPECT_EQ(OpenFails(huge), Line(huge, u"it is larger than a project file can be (4 GB)."));
    std::filesystem::remove(huge);

    // Cut inside the data: the offset where reading stopped.
    const std::string cut = TempPath("cut.vnr");
    std::filesystem::copy_file(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr", cut);
    const uintmax_t size = std::filesystem::file_size(cut);
    std::filesystem::resize_file(cut, size / 2);
    const std::u16string why = OpenFails(cut);
    const std::u16string prefix = Platform::FromUtf8(cut) + u": the file is damaged at byte ";
    ASSERT_EQ(why.substr(0, prefix.size()), prefix);
    const uint64_t offset = std::stoull(Platform::ToUtf8(why.substr(prefix.size())));
    EXPECT_GT(offset, 40u);
    EXPECT_LE(offset, size / 2);

    // Not a project at all.
    const std::string text = TempPath("notes.vnr");
    std::ofstream(text) << "roll 1: 12.5 Q\n";
    EXPECT_EQ(OpenFails(text), Line(text, u"it does not begin as a Brelmora project file does."));
}
