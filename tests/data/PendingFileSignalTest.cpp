// SPDX-License-Identifier: GPL-3.0-or-later
// A save of two outputs ended by SIGINT, SIGTERM or SIGKILL after both were written
// and before their renames: neither hidden temporary may stay behind (each
// can be as large as the project), and the targets stay as they were.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "DocTestSupport.h"
#include "data/AtomicFile.h"
#include "streamio/IoStream.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

TEST(PendingFileSignal, ASignalBeforeTheRenamesLeavesNoTemporary)
{
    // SIGKILL cannot be caught: the files stay unnamed until their commit, so
    // a kill between the writes and the renames leaves nothing either.
    for (const int sig : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(sig);
        const std::string dir = DataTest::TempPath("pending-signal-" + std::to_string(sig));
        fs::remove_all(dir);
        fs::create_directories(dir + "/second");
        std::ofstream(dir + "/a.vnr") << "old a";
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (sig != SIGKILL)
                std::signal(sig, SIG_DFL);
            const std::string big(4 << 20, 'p');
            try {
                AtomicFile::CPendingFile a(Platform::FromUtf8(dir + "/a.vnr"), [&](StreamIO::CIoStream& s) {
                    s.Write(big.data(), static_cast<uint32_t>(big.size()));
                });
                AtomicFile::CPendingFile b(Platform::FromUtf8(dir + "/second/b.txt"), [&](StreamIO::CIoStream& s) {
                    s.Write(big.data(), 1000);
                });
                ::raise(sig);   // the kill between the writes and the renames
            } catch (...) {
            }
            ::_exit(3);
        }
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        std::vector<std::string> left;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.is_regular_file())
                left.push_back(entry.path().lexically_relative(dir).string());
        EXPECT_EQ(left, std::vector<std::string>{"a.vnr"});
        std::ifstream in(dir + "/a.vnr");
        std::string content;
        std::getline(in, content);
        EXPECT_EQ(content, "old a");
    }
}
