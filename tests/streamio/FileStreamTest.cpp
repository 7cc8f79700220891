// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/ErrorCodes.h"
#include "streamio/file/FileStream.h"
#include "streamio/FileTestSupport.h"

using namespace StreamIO;
using namespace Platform;

TEST(FileStream, CreationBits)
{
    const std::u16string path = TempName("creation.bin");
    EXPECT_EQ(ThrownError([&] { CFileStream s(path, SF_READ); }), ERROR_FILE_NOT_FOUND);

    {
        CFileStream s(path, SF_WRITE | SF_OPEN_ALWAYS);   // creates
        EXPECT_EQ(s.Write("abcdef", 6), 6u);
        s.Close();
    }
    EXPECT_EQ(ThrownError([&] { CFileStream s(path, SF_WRITE | SF_CREATE_NEW); }), ERROR_FILE_EXISTS);
    {
        CFileStream s(path, SF_READ | SF_OPEN_ALWAYS);    // keeps the data
        EXPECT_EQ(s.GetLength(), 6u);
    }
    {
        CFileStream s(path, SF_READ | SF_WRITE | SF_CREATE_ALWAYS);   // truncates
        EXPECT_EQ(s.GetLength(), 0u);
    }
    const std::u16string fresh = TempName("creation-new.bin");
    CFileStream s(fresh, SF_WRITE | SF_CREATE_NEW);
    EXPECT_TRUE(s.IsOpen());
}

TEST(FileStream, BadPathsAndSecondOpen)
{
    EXPECT_EQ(ThrownError([] { CFileStream s(TempName(""), SF_READ); }), ERROR_ACCESS_DENIED);   // a directory
    EXPECT_EQ(ThrownError([] { CFileStream s(TempName(""), SF_WRITE); }), ERROR_ACCESS_DENIED);
    EXPECT_NE(ThrownError([] { CFileStream s(TempName("no/such/dir/f.bin"), SF_WRITE | SF_OPEN_ALWAYS); }), 0u);

    // A NUL would cut the path short: "nul.bin" must not be created.
    std::u16string withNul = TempName("nul.bin");
    withNul += u'\0';
    withNul += u"x";
    EXPECT_EQ(ThrownError([&] { CFileStream s(withNul, SF_WRITE | SF_CREATE_ALWAYS); }), ERROR_INVALID_NAME);
    struct stat st {};
    EXPECT_NE(stat(TempFile("nul.bin").c_str(), &st), 0);

    CFileStream s(TempName("second.bin"), SF_READ | SF_WRITE | SF_CREATE_ALWAYS);
    s.Write("xy", 2);
    EXPECT_FALSE(s.Open(TempName("other.bin"), SF_READ | SF_WRITE | SF_CREATE_ALWAYS));
    EXPECT_EQ(s.GetError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(s.GetName(), TempName("second.bin"));
    EXPECT_EQ(s.GetPosition(), 2u);
    EXPECT_NE(stat(TempFile("other.bin").c_str(), &st), 0);
}

TEST(FileStream, ReadAtTheEndStoresEofWithoutThrowing)
{
    PutFile("eof.bin", {1, 2, 3});
    CFileStream s(TempName("eof.bin"), SF_READ);
    uint8_t buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3u);
    EXPECT_EQ(s.GetError(), 0u);
    EXPECT_EQ(s.Read(buf, 8), 0u);
    EXPECT_EQ(s.GetError(), ERROR_HANDLE_EOF);
    EXPECT_TRUE(s.IsEofOrTimeout());
    EXPECT_EQ(s.Read(buf, 0), 0u);   // a count of 0 is no end of data
    EXPECT_EQ(s.GetError(), 0u);
}

TEST(FileStream, WrongDirectionAndClosedStreamThrow)
{
    PutFile("dir.bin", {1, 2, 3});
    CFileStream reader(TempName("dir.bin"), SF_READ | SF_SHARE_READ | SF_SHARE_WRITE);
    EXPECT_EQ(ThrownError([&] { reader.Write("a", 1); }), ERROR_WRITE_FAULT);
    EXPECT_EQ(reader.GetError(), ERROR_WRITE_FAULT);
    EXPECT_EQ(ThrownError([&] { reader.Truncate(); }), ERROR_WRITE_FAULT);

    CFileStream writer(TempName("dir.bin"), SF_WRITE | SF_SHARE_READ | SF_SHARE_WRITE);
    uint8_t b;
    EXPECT_EQ(ThrownError([&] { writer.Read(&b, 1); }), ERROR_READ_FAULT);
    EXPECT_EQ(ThrownError([&] { writer.ReadByte(); }), ERROR_READ_FAULT);

    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(ThrownError([&] { reader.Read(&b, 1); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ThrownError([&] { reader.Close(); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ThrownError([&] { reader.GetLength(); }), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(reader.Reopen());
    EXPECT_EQ(reader.Read(&b, 1), 1u);
    EXPECT_EQ(b, 1);
}

TEST(FileStream, TimeoutsAndCancelAreNotSupportedOnDisk)
{
    CFileStream s(TempName("timeouts.bin"), SF_READ | SF_WRITE | SF_CREATE_ALWAYS);
    int r = 0, w = 0;
    EXPECT_FALSE(s.GetTimeouts(r, w));
    EXPECT_EQ(s.GetError(), ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(s.SetTimeouts(100, 100));
    EXPECT_EQ(s.GetError(), ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(s.Cancel());
    EXPECT_EQ(s.GetError(), ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(s.IsEofOrTimeout());
    s.Flush();
    EXPECT_EQ(s.GetError(), 0u);
}

TEST(FileStream, SeekOriginsLengthAndTruncate)
{
    CFileStream s(TempName("seek.bin"), SF_READ | SF_WRITE | SF_CREATE_ALWAYS);
    EXPECT_EQ(s.Write("0123456789", 10), 10u);
    EXPECT_EQ(s.GetLength(), 10u);
    EXPECT_EQ(s.GetPosition(), 10u);
    EXPECT_EQ(s.Seek(2, ORIGIN_BEGIN), 2u);
    EXPECT_EQ(s.Seek(3, ORIGIN_CURRENT), 5u);
    EXPECT_EQ(s.Seek(-1, ORIGIN_END), 9u);
    EXPECT_EQ(s.Seek(0, ORIGIN_CURRENT), 9u);
    EXPECT_EQ(s.Seek(5, ORIGIN_END), 15u);   // beyond the end is allowed
    EXPECT_EQ(ThrownError([&] { s.Seek(0, 0); }), ERROR_SEEK);
    EXPECT_EQ(ThrownError([&] { s.Seek(0, 4); }), ERROR_SEEK);
    EXPECT_EQ(ThrownError([&] { s.Seek(-11, ORIGIN_END); }), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(ThrownError([&] { s.Seek(-16, ORIGIN_CURRENT); }), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(s.GetPosition(), 15u);   // a refused seek does not move

    EXPECT_EQ(s.SetPosition(4), 4u);
    EXPECT_EQ(s.ReadByte(), '4');
    s.Truncate();
    EXPECT_EQ(s.GetLength(), 5u);
    s.SetPosition(0);
    char buf[16] = {};
    EXPECT_EQ(s.Read(buf, 16), 5u);
    EXPECT_EQ(std::string(buf), "01234");
}

TEST(FileStream, DestructorClosesQuietlyAndKeepsTheData)
{
    {
        CFileStream s(TempName("quiet.bin"), SF_WRITE | SF_CREATE_ALWAYS);
        s.Write("abc", 3);
    }
    EXPECT_EQ(FileBytes("quiet.bin"), (std::vector<uint8_t>{'a', 'b', 'c'}));
}
