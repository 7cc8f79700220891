// SPDX-License-Identifier: GPL-3.0-or-later
// The file-system helper on real files, folders, links, a pipe, a socket
// and a device.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "support/TestEnv.h"

using namespace Platform;

namespace {

std::string Fresh(const std::string& name)
{
    const std::string path = TestEnv::TempDir() + "/fs-" + name;
    ::unlink(path.c_str());
    ::rmdir(path.c_str());
    return path;
}

std::string MakeFile(const std::string& name, const std::string& bytes = "abc")
{
    const std::string path = Fresh(name);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    return path;
}

} // namespace

TEST(FileSystem, FolderOfBareNamesRootFilesAndNestedPaths)
{
    EXPECT_EQ(FolderOf("a.vnr"), ".");
    EXPECT_EQ(FolderOf("/a.vnr"), "/");
    EXPECT_EQ(FolderOf("/tmp/x/a.vnr"), "/tmp/x");
    EXPECT_EQ(FolderOf("x/"), "x");
    EXPECT_EQ(FolderOf(""), ".");
    EXPECT_EQ(FolderOf("/tmp/with space/a b.vnr"), "/tmp/with space");
}

TEST(FileSystem, EveryKindOfPathIsToldApart)
{
    const std::string file = MakeFile("regular", "12345");
    SFileStatus st = StatPath(file);
    EXPECT_EQ(st.type, EFileType::Regular);
    EXPECT_EQ(st.size, 5u);
    EXPECT_EQ(st.mode & ~0644u, 0u);   // the umask may take bits, never add them
    EXPECT_TRUE(IsRegularFile(file));

    EXPECT_EQ(StatPath(TestEnv::TempDir()).type, EFileType::Folder);
    EXPECT_EQ(StatPath("/dev/null").type, EFileType::Device);

    const std::string fifo = Fresh("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(StatPath(fifo).type, EFileType::Pipe);

    const std::string sock = Fresh("sock");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(sock.size(), sizeof(addr.sun_path));
    sock.copy(addr.sun_path, sock.size());
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    EXPECT_EQ(StatPath(sock).type, EFileType::Socket);
    ::close(s);

    st = StatPath(Fresh("missing"));
    EXPECT_FALSE(st.Exists());
    EXPECT_EQ(st.error, ENOENT);
    EXPECT_EQ(StatPath(file + "/below").error, ENOTDIR);
}

TEST(FileSystem, LinksAreFollowedOrSeenAndBadLinksLeadNowhere)
{
    const std::string file = MakeFile("target");
    const std::string link = Fresh("link");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    EXPECT_EQ(StatPath(link).type, EFileType::Regular);
    EXPECT_EQ(StatLink(link).type, EFileType::Link);
    EXPECT_TRUE(IsSymbolicLink(link));
    EXPECT_FALSE(IsSymbolicLink(file));
    EXPECT_EQ(ResolveLinks(link), ResolveLinks(file));
    EXPECT_EQ(FollowLink(link), ResolveLinks(file));
    EXPECT_EQ(FollowLink(file), file);   // not a link: as it is

    const std::string dangling = Fresh("dangling");
    ASSERT_EQ(::symlink((file + ".gone").c_str(), dangling.c_str()), 0);
    int error = 0;
    EXPECT_EQ(ResolveLinks(dangling, &error), "");
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(FollowLink(dangling), dangling);

    const std::string a = Fresh("circle-a"), b = Fresh("circle-b");
    ASSERT_EQ(::symlink(b.c_str(), a.c_str()), 0);
    ASSERT_EQ(::symlink(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(ResolveLinks(a, &error), "");
    EXPECT_EQ(error, ELOOP);
    EXPECT_FALSE(StatPath(a).Exists());
}

TEST(FileSystem, TheReadOnlyRuleOfFoldersHoldsForEveryUser)
{
    EXPECT_EQ(FolderWriteProblem(TestEnv::TempDir()), 0);
    EXPECT_EQ(FolderWriteProblem(Fresh("no-folder")), ENOENT);
    EXPECT_EQ(FolderWriteProblem(MakeFile("plain")), ENOTDIR);

    // No write bit at all: read-only, for the superuser too.
    const std::string locked = Fresh("locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
    ::chmod(locked.c_str(), 0555);
    EXPECT_EQ(FolderWriteProblem(locked), EACCES);
    EXPECT_FALSE(StatPath(locked).HasWriteBit());
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(FolderWriteProblem(locked), 0);
    EXPECT_EQ(MayWrite(locked, true), 0);
    EXPECT_EQ(MayWrite(locked + "/missing"), ENOENT);
}

TEST(FileSystem, TemporaryFilesAreNewPrivateAndNamedAfterThePrefix)
{
    const std::string prefix = TestEnv::TempDir() + "/fs-temp with space.";
    std::string first, second;
    const int a = CreateTemporaryFile(prefix, first);
    const int b = CreateTemporaryFile(prefix, second);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(prefix, 0), 0u);
    EXPECT_EQ(first.size(), prefix.size() + 6);
    EXPECT_EQ(StatPath(first).mode, 0600u);
    EXPECT_NE(::fcntl(a, F_GETFD) & FD_CLOEXEC, 0);
    ::close(a);
    ::close(b);
    ::unlink(first.c_str());
    ::unlink(second.c_str());

    std::string none = "unchanged";
    errno = 0;
    EXPECT_LT(CreateTemporaryFile(TestEnv::TempDir() + "/fs-no-such-folder/x.", none), 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(none, "unchanged");
}
