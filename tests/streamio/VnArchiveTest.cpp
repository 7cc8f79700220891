// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <limits>

#include "platform/ErrorCodes.h"
#include "streamio/file/FileStream.h"
#include "streamio/FileTestSupport.h"
#include "streamio/TestStream.h"
#include "streamio/VnArchive.h"

using namespace StreamIO;
using namespace Platform;

namespace {

using Bytes = std::vector<uint8_t>;

void WriteSample(CVnArchive& ar)
{
    ar.WriteByte(0xAB);
    ar.Write16(0x1234);
    ar.Write32(0x89ABCDEF);
    ar.WriteBytes("xyz", 3);
    ar.WriteText(u"A\u20AC");
    ar.WriteText(u"");
}

const Bytes kLittle = {0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 'x', 'y', 'z',
                       0xFE, 0x02, 0x00, 0x41, 0x00, 0xAC, 0x20, 0xFE, 0x00, 0x00};
const Bytes kBig = {0xAB, 0x12, 0x34, 0x89, 0xAB, 0xCD, 0xEF, 'x', 'y', 'z',
                    0xFE, 0x00, 0x02, 0x00, 0x41, 0x20, 0xAC, 0xFE, 0x00, 0x00};

void ExpectSample(CVnArchive& ar)
{
    EXPECT_EQ(ar.ReadByte(), 0xAB);
    EXPECT_EQ(ar.Read16(), 0x1234);
    EXPECT_EQ(ar.Read32(), 0x89ABCDEFu);
    char xyz[3];
    ar.ReadBytes(xyz, 3);
    EXPECT_EQ(std::string(xyz, 3), "xyz");
    EXPECT_EQ(ar.ReadText(), u"A\u20AC");
    EXPECT_EQ(ar.ReadText(), u"");
    EXPECT_EQ(ar.Remaining(), 0u);
}

} // namespace

TEST(VnArchive, PrimitivesInBothByteOrders)
{
    struct Case {
        const char* file;
        uint32_t mode;
        const Bytes* golden;
    };
    const Case cases[] = {
        {"ar-le.bin", 0, &kLittle},
        {"ar-be10.bin", CVnArchive::bigEndianA, &kBig},
        {"ar-be80.bin", CVnArchive::bigEndianB, &kBig},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        {
            CVnArchive ar(TempName(c.file), c.mode);
            EXPECT_TRUE(ar.IsStoring());
            WriteSample(ar);
            ar.Close();
        }
        EXPECT_EQ(FileBytes(c.file), *c.golden);
        CVnArchive ar(TempName(c.file), c.mode | CVnArchive::load);
        EXPECT_TRUE(ar.IsLoading());
        EXPECT_EQ(ar.Remaining(), c.golden->size());
        ExpectSample(ar);
        EXPECT_EQ(ThrownError([&] { ar.ReadByte(); }), ERROR_HANDLE_EOF);
    }
}

TEST(VnArchive, TextMarkers)
{
    // 0xFF: 8-bit characters; 0xFE and any other marker: 16-bit characters.
    PutFile("ar-text.bin", {0xFF, 0x03, 0x00, 'a', 'b', 0xE9,
                            0x00, 0x02, 0x00, 0x41, 0x00, 0x42, 0x00,
                            0x7F, 0x01, 0x00, 0x3A, 0x26,
                            0xFF, 0x00, 0x00});
    CVnArchive ar(TempName("ar-text.bin"), CVnArchive::load);
    EXPECT_EQ(ar.ReadText(), u"ab\u00E9");
    EXPECT_EQ(ar.ReadText(), u"AB");
    EXPECT_EQ(ar.ReadText(), u"\u263A");
    EXPECT_EQ(ar.ReadText(), u"");

    PutFile("ar-text-be.bin", {0x00, 0x00, 0x01, 0x26, 0x3A});
    CVnArchive be(TempName("ar-text-be.bin"), CVnArchive::load | CVnArchive::bigEndianB);
    EXPECT_EQ(be.ReadText(), u"\u263A");
}

TEST(VnArchive, TextLengthLimit)
{
    {
        CVnArchive ar(TempName("ar-long.bin"), 0);
        ar.WriteText(std::u16string(0xFFFF, u'q'));
        EXPECT_EQ(ThrownError([&] { ar.WriteText(std::u16string(0x10000, u'q')); }), ERROR_INSUFFICIENT_BUFFER);
        ar.Close();
    }
    EXPECT_EQ(FileBytes("ar-long.bin").size(), 3u + 2u * 0xFFFF);   // nothing of the refused text
    CVnArchive ar(TempName("ar-long.bin"), CVnArchive::load);
    EXPECT_EQ(ar.ReadText(), std::u16string(0xFFFF, u'q'));
}

TEST(VnArchive, TruncatedDataEndsWithError38)
{
    PutFile("ar-short.bin", {0x01, 0x02, 0x03});
    {
        CVnArchive ar(TempName("ar-short.bin"), CVnArchive::load);
        EXPECT_EQ(ThrownError([&] { ar.Read32(); }), ERROR_HANDLE_EOF);
    }
    // A text count beyond what remains is refused before anything is
    // allocated or read.
    PutFile("ar-short-text.bin", {0xFE, 0x60, 0xEA, 'a', 0, 'b', 0});
    {
        CVnArchive ar(TempName("ar-short-text.bin"), CVnArchive::load);
        EXPECT_EQ(ThrownError([&] { ar.ReadText(); }), ERROR_HANDLE_EOF);
    }
    PutFile("ar-short-narrow.bin", {0xFF, 0x05, 0x00, 'a', 'b', 'c', 'd'});
    {
        CVnArchive ar(TempName("ar-short-narrow.bin"), CVnArchive::load);
        EXPECT_EQ(ThrownError([&] { ar.ReadText(); }), ERROR_HANDLE_EOF);
    }
    CVnArchive ar(TempName("ar-short.bin"), CVnArchive::load);
    EXPECT_EQ(ThrownError([&] { ar.ReadByteBlock(std::numeric_limits<size_t>::max() / 2); }), ERROR_HANDLE_EOF);
    EXPECT_EQ(ar.ReadByteBlock(3), (Bytes{1, 2, 3}));
    uint8_t big[2000];
    EXPECT_EQ(ThrownError([&] { ar.ReadBytes(big, sizeof big); }), ERROR_HANDLE_EOF);
}

TEST(VnArchive, BlocksAcrossTheBufferBoundary)
{
    Bytes block(5000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);
    {
        CVnArchive ar(TempName("ar-block.bin"), 0);
        for (int i = 0; i < 1000; ++i)
            ar.Write16(static_cast<uint16_t>(i));   // 2000 bytes: buffer fills twice
        ar.Write32(static_cast<uint32_t>(block.size()));
        ar.WriteBytes(block.data(), block.size());
        ar.WriteBytes(block.data(), 1000);          // smaller than the buffer
        ar.WriteByte(0x5C);
        ar.Close();
    }
    EXPECT_EQ(FileBytes("ar-block.bin").size(), 2000u + 4u + 5000u + 1000u + 1u);
    CVnArchive ar(TempName("ar-block.bin"), CVnArchive::load);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(ar.Read16(), i);
    const uint32_t n = ar.Read32();
    ASSERT_LE(n, ar.Remaining());
    EXPECT_EQ(ar.ReadByteBlock(n), block);
    EXPECT_EQ(ar.ReadByteBlock(1000), Bytes(block.begin(), block.begin() + 1000));
    EXPECT_EQ(ar.Remaining(), 1u);
    EXPECT_EQ(ar.ReadByte(), 0x5C);
}

TEST(VnArchive, OpenFailuresBecomeError2WithTheName)
{
    const std::u16string missing = TempName("ar-missing.bin");
    std::u16string thrownName;
    try {
        CVnArchive ar(missing, CVnArchive::load);
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetOsError(), ERROR_FILE_NOT_FOUND);
        thrownName = e.GetFileName();
    }
    EXPECT_EQ(thrownName, missing);
    EXPECT_EQ(ThrownError([] { CVnArchive ar(TempName("no/dir/x.vnr"), 0); }), ERROR_FILE_NOT_FOUND);
    // Refused for another reason (sharing, not supported) it is still 2.
    EXPECT_EQ(ThrownError([] { CVnArchive ar(u"COM3:", 0); }), ERROR_FILE_NOT_FOUND);
}

TEST(VnArchive, ArchiveOnAnIdLeavesTheStreamOpen)
{
    EXPECT_EQ(ThrownError([] { CVnArchive ar(0x7FFFFC00u, 0); }), ERROR_INVALID_HANDLE);
    CFileStream closed;
    EXPECT_EQ(ThrownError([&] { CVnArchive ar(closed.GetId(), 0); }), ERROR_INVALID_HANDLE);

    CFileStream s(TempName("ar-id.bin"), SF_READ | SF_WRITE | SF_CREATE_ALWAYS);
    {
        CVnArchive ar(s.GetId(), 0);
        ar.Write32(7);
        ar.WriteText(u"id");
    }   // the destructor writes what is pending
    EXPECT_TRUE(s.IsOpen());
    EXPECT_EQ(s.GetLength(), 4u + 3u + 4u);

    s.SetPosition(0);
    {
        CVnArchive ar(s.GetId(), CVnArchive::load);
        EXPECT_EQ(ar.Read32(), 7u);
        ar.Close();
    }
    // The archive read ahead, but the stream stands where the reader stopped.
    EXPECT_TRUE(s.IsOpen());
    EXPECT_EQ(s.GetPosition(), 4u);
}

TEST(VnArchive, ArchiveOnANameOwnsAndClosesItsStream)
{
    const std::u16string path = TempName("ar-owned.bin");
    uint32_t id = 0;
    {
        CVnArchive ar(path, 0);
        id = ar.GetStream()->GetId();
        EXPECT_NE(FindStream(id), nullptr);
        ar.WriteByte(1);
        // Opened for storing without share-write: no second writer.
        EXPECT_EQ(ThrownError([&] { CFileStream other(path, SF_WRITE | SF_SHARE_READ | SF_SHARE_WRITE); }),
                  ERROR_SHARING_VIOLATION);
        ar.Close();
        EXPECT_EQ(ThrownError([&] { ar.WriteByte(2); }), ERROR_INVALID_HANDLE);
        CFileStream other(path, SF_WRITE | SF_SHARE_READ | SF_SHARE_WRITE);   // closed by Close
    }
    EXPECT_EQ(FindStream(id), nullptr);
}

TEST(VnArchive, DirectionIsChecked)
{
    CVnArchive store(TempName("ar-dir.bin"), 0);
    EXPECT_EQ(ThrownError([&] { store.ReadByte(); }), ERROR_READ_FAULT);
    EXPECT_EQ(store.Remaining(), 0u);
    store.WriteByte(9);
    store.Close();
    CVnArchive load(TempName("ar-dir.bin"), CVnArchive::load);
    EXPECT_EQ(ThrownError([&] { load.WriteByte(1); }), ERROR_WRITE_FAULT);
    EXPECT_EQ(ThrownError([&] { load.ThrowInvalidData(); }), ERROR_INVALID_DATA);
}

TEST(VnArchive, UnseekableStreamsDeliveringInPieces)
{
    CTestStream s;
    s.Open(u"piecewise", SF_READ | SF_WRITE);
    s.input = kLittle;
    s.maxChunk = 3;
    CVnArchive ar(s.GetId(), CVnArchive::load);
    EXPECT_EQ(ar.Remaining(), std::numeric_limits<size_t>::max());
    EXPECT_EQ(ar.ReadByte(), 0xAB);
    EXPECT_EQ(ar.Read16(), 0x1234);
    EXPECT_EQ(ar.Read32(), 0x89ABCDEFu);
    char xyz[3];
    ar.ReadBytes(xyz, 3);
    EXPECT_EQ(ar.ReadText(), u"A\u20AC");
    EXPECT_EQ(ar.ReadText(), u"");
    EXPECT_EQ(ThrownError([&] { ar.ReadByte(); }), ERROR_HANDLE_EOF);

    // A huge count from such a stream fails at the end of the data, not by
    // reserving memory for the count.
    s.input = {1, 2, 3};
    s.readPos = 0;
    CVnArchive again(s.GetId(), CVnArchive::load);
    EXPECT_EQ(ThrownError([&] { again.ReadByteBlock(std::numeric_limits<size_t>::max() / 2); }), ERROR_HANDLE_EOF);
}

TEST(VnArchive, RefusedWritesSurfaceAsError29)
{
    CTestStream s;
    s.Open(u"refusing", SF_READ | SF_WRITE);
    s.refuseWrites = true;
    CVnArchive ar(s.GetId(), 0);
    ar.Write32(1);   // buffered
    EXPECT_EQ(ThrownError([&] { ar.Close(); }), ERROR_WRITE_FAULT);
    Bytes big(3000);
    CVnArchive direct(s.GetId(), 0);
    EXPECT_EQ(ThrownError([&] { direct.WriteBytes(big.data(), big.size()); }), ERROR_WRITE_FAULT);
}
