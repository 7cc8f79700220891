// SPDX-License-Identifier: GPL-3.0-or-later
// The share modes of disk files: the Windows rules, emulated with advisory
// locks, between streams of this process.
#include <gtest/gtest.h>

#include "platform/ErrorCodes.h"
#include "streamio/file/FileStream.h"
#include "streamio/FileTestSupport.h"

using namespace StreamIO;
using namespace Platform;

namespace {

uint32_t SecondOpen(const std::u16string& path, uint32_t flags)
{
    return ThrownError([&] { CFileStream s(path, flags); });
}

} // namespace

TEST(FileShare, WriterWithoutShareWriteKeepsOtherWritersOut)
{
    const std::u16string path = TempName("share-w.bin");
    CFileStream first(path, SF_WRITE | SF_CREATE_ALWAYS | SF_SHARE_READ);
    EXPECT_EQ(SecondOpen(path, SF_WRITE | SF_SHARE_READ | SF_SHARE_WRITE), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(SecondOpen(path, SF_READ | SF_SHARE_READ | SF_SHARE_WRITE), 0u);   // reading is shared
    first.Close();
    EXPECT_EQ(SecondOpen(path, SF_WRITE | SF_SHARE_READ | SF_SHARE_WRITE), 0u);
}

TEST(FileShare, HolderWithoutShareReadKeepsReadersOut)
{
    const std::u16string path = TempName("share-r.bin");
    CFileStream first(path, SF_WRITE | SF_CREATE_ALWAYS | SF_SHARE_WRITE);
    EXPECT_EQ(SecondOpen(path, SF_READ | SF_SHARE_READ | SF_SHARE_WRITE), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(SecondOpen(path, SF_WRITE | SF_SHARE_WRITE), 0u);
}

TEST(FileShare, TheProjectFileCombinations)
{
    const std::u16string path = TempName("share-project.bin");
    {
        // Storing (0x133) blocks loading (0x101): the loader does not share
        // writing while the storer writes.
        CFileStream store(path, 0x133);
        EXPECT_EQ(SecondOpen(path, 0x101), ERROR_SHARING_VIOLATION);
        EXPECT_EQ(SecondOpen(path, 0x133), ERROR_SHARING_VIOLATION);
        // A new open that shares writing may read along.
        EXPECT_EQ(SecondOpen(path, SF_READ | SF_SHARE_READ | SF_SHARE_WRITE), 0u);
    }
    CFileStream load1(path, 0x101);
    CFileStream load2(path, 0x101);   // loaders share among themselves
    EXPECT_EQ(SecondOpen(path, 0x133), ERROR_SHARING_VIOLATION);
}

TEST(FileShare, RefusedCreateAlwaysLeavesTheDataAlone)
{
    const std::u16string path = TempName("share-trunc.bin");
    CFileStream first(path, SF_READ | SF_WRITE | SF_CREATE_ALWAYS);
    first.Write("keep", 4);
    EXPECT_EQ(SecondOpen(path, SF_READ | SF_WRITE | SF_CREATE_ALWAYS | SF_SHARE_READ | SF_SHARE_WRITE),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(first.GetLength(), 4u);
    // The refused stream left no marks behind: after the holder closes, any
    // open goes through.
    first.Close();
    EXPECT_EQ(SecondOpen(path, SF_READ | SF_WRITE), 0u);
}
