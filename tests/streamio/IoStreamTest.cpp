// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/StreamTable.h"
#include "streamio/TestStream.h"

using namespace StreamIO;
using Platform::CFileException;

TEST(IoStream, ReopenUsesTheStoredNameAndFlags)
{
    CTestStream s;
    EXPECT_FALSE(s.Reopen());   // never opened: no name
    EXPECT_EQ(s.opens, 0);
    ASSERT_TRUE(s.Open(u"port", 0x133));
    EXPECT_FALSE(s.Open(u"other", 1));
    EXPECT_EQ(s.GetError(), Platform::ERROR_NOT_SUPPORTED);
    EXPECT_EQ(s.GetName(), u"port");
    s.Close();
    EXPECT_TRUE(s.Reopen());
    EXPECT_EQ(s.GetName(), u"port");
    EXPECT_EQ(s.GetFlags(), 0x133u);
}

TEST(IoStream, AbortSwallowsEveryCloseFailure)
{
    CTestStream s;
    s.Open(u"x", 3);
    s.closeFailure = CTestStream::CloseFailure::FileError;
    EXPECT_NO_THROW(s.Abort());
    EXPECT_EQ(s.GetError(), Platform::ERROR_ACCESS_DENIED);
    s.closeFailure = CTestStream::CloseFailure::Other;
    EXPECT_NO_THROW(s.Abort());
    EXPECT_EQ(s.closes, 2);
}

TEST(IoStream, ErrorQueriesAndByteTransfers)
{
    CTestStream s;
    s.Open(u"x", 3);
    s.input = {0x5A};
    EXPECT_EQ(s.ReadByte(), 0x5A);
    EXPECT_FALSE(s.HasError());
    EXPECT_EQ(s.ReadByte(), 0);   // nothing left
    EXPECT_TRUE(s.HasError());
    EXPECT_TRUE(s.IsEofOrTimeout());
    s.SetError(Platform::ERROR_TIMEOUT);
    EXPECT_TRUE(s.IsEofOrTimeout());
    s.SetError(Platform::ERROR_GEN_FAILURE);
    EXPECT_TRUE(s.HasError());
    EXPECT_FALSE(s.IsEofOrTimeout());
    EXPECT_EQ(s.WriteByte(0xC3), 1u);
    EXPECT_EQ(s.output, std::vector<uint8_t>{0xC3});

    // The defaults of a transport without those abilities.
    int r = 7, w = 7;
    EXPECT_FALSE(s.GetTimeouts(r, w));
    EXPECT_FALSE(s.SetTimeouts(1, 1));
    EXPECT_FALSE(s.Cancel());
    EXPECT_FALSE(s.IsSeekable());
    EXPECT_EQ(s.Seek(5, ORIGIN_BEGIN), 0u);
    EXPECT_EQ(s.GetInputCount(), 0u);
}

TEST(IoStream, CloseStreamReportsByNumber)
{
    CTestStream s;
    s.Open(u"x", 3);
    EXPECT_EQ(CloseStream(s.GetId()), 0u);
    EXPECT_FALSE(s.IsOpen());
    s.closeFailure = CTestStream::CloseFailure::FileError;
    EXPECT_EQ(CloseStream(s.GetId()), Platform::ERROR_ACCESS_DENIED);
    s.closeFailure = CTestStream::CloseFailure::Other;
    EXPECT_EQ(CloseStream(s.GetId()), Platform::ERROR_INVALID_DATA);
    EXPECT_EQ(FindStream(s.GetId()), &s);   // the object stays registered

    uint32_t staleId;
    {
        CTestStream gone;
        staleId = gone.GetId();
    }
    EXPECT_EQ(CloseStream(staleId), Platform::ERROR_INVALID_HANDLE);
}

TEST(StreamLibrary, ShutdownAbortsEveryStreamButDeletesNone)
{
    ASSERT_TRUE(Initialize());
    EXPECT_TRUE(Initialize());   // a second call changes nothing
    auto a = std::make_unique<CTestStream>();
    auto b = std::make_unique<CTestStream>();
    a->Open(u"a", 3);
    b->Open(u"b", 3);
    b->closeFailure = CTestStream::CloseFailure::Other;
    const uint32_t idA = a->GetId();

    Shutdown();
    EXPECT_FALSE(a->IsOpen());
    EXPECT_FALSE(b->IsOpen());
    EXPECT_EQ(a->closes, 1);
    EXPECT_EQ(b->closes, 1);
    EXPECT_EQ(FindStream(idA), nullptr);
    EXPECT_EQ(CStreamTable::Process().Count(), 0u);

    // Streams destroyed after Shutdown and made after it (or before a new
    // Initialize) still work with the table.
    a.reset();
    auto c = std::make_unique<CTestStream>();
    EXPECT_NE(c->GetId(), 0u);
    EXPECT_EQ(FindStream(c->GetId()), c.get());
    b.reset();
    EXPECT_TRUE(Initialize());
    EXPECT_EQ(FindStream(c->GetId()), c.get());
}

TEST(IoStream, ThrownErrorsCarryCodeAndName)
{
    CTestStream s;
    s.Open(u"RAM:Clip", 3);
    s.closeFailure = CTestStream::CloseFailure::FileError;
    try {
        s.Close();
        FAIL() << "Close did not throw";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetOsError(), Platform::ERROR_ACCESS_DENIED);
        EXPECT_EQ(e.GetFileName(), u"RAM:Clip");
    }
    EXPECT_EQ(s.GetError(), Platform::ERROR_ACCESS_DENIED);
}
