// SPDX-License-Identifier: GPL-3.0-or-later
// The RAM disk: names, the share and creation rules, reference counting and
// the disk's life across library shutdown.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/ram/RamDisk.h"
#include "streamio/ram/RamStream.h"
#include "streamio/RamTestSupport.h"
#include "streamio/StreamTable.h"
#include "streamio/TestStream.h"

using namespace StreamIO;
namespace E = Platform;

namespace {

constexpr uint32_t kRw = SF_READ | SF_WRITE;

uint32_t OpenError(const std::u16string& name, uint32_t flags)
{
    CRamStream s;
    return RamError([&] { s.Open(name, flags); });
}

} // namespace

TEST(RamDiskName, EndsInExactlyOneColon)
{
    EXPECT_EQ(CRamDisk(u"RAM").GetName(), u"RAM:");
    EXPECT_EQ(CRamDisk(u"").GetName(), u":");
    EXPECT_EQ(RamError([] { CRamDisk d(u"RAM::"); }), E::ERROR_INVALID_NAME);
    EXPECT_EQ(RamError([] { CRamDisk d(u"A:B"); }), E::ERROR_INVALID_NAME);
}

TEST_F(RamTest, NamesPrefixAndCase)
{
    CRamStream s;
    ASSERT_TRUE(s.Open(u"plain", kRw | SF_CREATE_ALWAYS));
    EXPECT_EQ(s.GetName(), u"RAM:plain");
    CRamStream lower(u"ram:plain", SF_OPEN_EXISTING);   // the prefix ignores case
    EXPECT_EQ(OpenError(u"RAM:Plain", SF_READ), E::ERROR_FILE_NOT_FOUND);   // file names do not
    EXPECT_EQ(OpenError(u"RAM:a:b", kRw | SF_OPEN_ALWAYS), E::ERROR_INVALID_NAME);
}

TEST_F(RamTest, ClipStreamSharingFollowsTheFirstOpener)
{
    {
        CRamStream first(u"RAM:ClipRamStream", kRw | SF_CREATE_ALWAYS);
        EXPECT_EQ(OpenError(u"RAM:ClipRamStream", SF_READ), E::ERROR_SHARING_VIOLATION);
        EXPECT_EQ(OpenError(u"RAM:ClipRamStream", kRw | SF_CREATE_ALWAYS), E::ERROR_SHARING_VIOLATION);
    }
    auto shared = std::make_unique<CRamStream>(u"RAM:ClipRamStream", kRw | SF_CREATE_ALWAYS | SF_SHARE_READ);
    shared->Write("abc", 3);
    auto reader = std::make_unique<CRamStream>(u"RAM:ClipRamStream", SF_READ);
    // The later opener's share flags do not matter: writing stays refused.
    EXPECT_EQ(OpenError(u"RAM:ClipRamStream", SF_WRITE | SF_SHARE_WRITE), E::ERROR_SHARING_VIOLATION);

    // The file lives while any stream has it open.
    shared.reset();
    EXPECT_EQ(reader->GetLength(), 3u);
    reader.reset();
    EXPECT_EQ(OpenError(u"RAM:ClipRamStream", SF_READ), E::ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(GetRamDisk()->HasFile(u"ClipRamStream"));
}

TEST_F(RamTest, CreationRulesOnAnExistingFile)
{
    CRamStream owner(u"RAM:rules", kRw | SF_CREATE_NEW | SF_SHARE_READ | SF_SHARE_WRITE);
    owner.Write("0123456789", 10);
    EXPECT_EQ(OpenError(u"RAM:rules", kRw | SF_CREATE_NEW), E::ERROR_FILE_EXISTS);
    CRamStream again(u"RAM:rules", kRw | SF_OPEN_ALWAYS);
    EXPECT_EQ(again.GetLength(), 10u);   // open-always keeps the data
    CRamStream emptied(u"RAM:rules", kRw | SF_CREATE_ALWAYS);
    EXPECT_EQ(owner.GetLength(), 0u);    // create-always empties it for everyone

    CRamStream fifo(u"RAM:ring", kRw | SF_CREATE_NEW | SF_FIFO | SF_SHARE_WRITE);
    EXPECT_EQ(OpenError(u"RAM:ring", kRw | SF_CREATE_ALWAYS), E::ERROR_OPEN_FAILED);
    CRamStream plainFifo(u"RAM:ring2", kRw | SF_CREATE_NEW | SF_FIFO);
    EXPECT_EQ(OpenError(u"RAM:ring2", SF_CREATE_ALWAYS), E::ERROR_SHARING_VIOLATION);
}

TEST_F(RamTest, FifoWithoutShareFlagsAllowsOneReaderAndOneWriter)
{
    CRamStream writer(u"RAM:pipe", SF_WRITE | SF_CREATE_NEW | SF_FIFO);
    EXPECT_EQ(OpenError(u"RAM:pipe", SF_WRITE), E::ERROR_SHARING_VIOLATION);
    auto reader = std::make_unique<CRamStream>(u"RAM:pipe", SF_READ);
    EXPECT_EQ(OpenError(u"RAM:pipe", SF_READ), E::ERROR_SHARING_VIOLATION);
    reader.reset();
    CRamStream second(u"RAM:pipe", SF_READ);   // the reader's mark was cleared
    EXPECT_FALSE(second.IsSeekable());

    // With a share flag no marks are kept: readers may come and go.
    CRamStream sharedFifo(u"RAM:pipe2", kRw | SF_CREATE_NEW | SF_FIFO | SF_SHARE_READ);
    CRamStream r1(u"RAM:pipe2", SF_READ);
    CRamStream r2(u"RAM:pipe2", SF_READ);
    EXPECT_EQ(OpenError(u"RAM:pipe2", SF_WRITE), E::ERROR_SHARING_VIOLATION);
}

TEST_F(RamTest, ShutdownFreesTheDiskAndLeavesLateStreamsSafe)
{
    // Fill the stream table so that one RAM stream stays unregistered: the
    // shutdown cannot abort it, and it must not reach freed memory later.
    std::vector<std::unique_ptr<CTestStream>> fillers;
    while (fillers.size() < CStreamTable::kMaxEntries) {
        fillers.push_back(std::make_unique<CTestStream>());
        if (fillers.back()->GetId() == 0)
            break;
    }
    CRamStream late(u"RAM:late", kRw | SF_CREATE_ALWAYS);
    ASSERT_EQ(late.GetId(), 0u);
    late.Write("data", 4);
    fillers.pop_back();   // the unregistered filler
    fillers.pop_back();   // frees one entry
    CRamStream aborted;
    ASSERT_NE(aborted.GetId(), 0u);
    aborted.Open(u"RAM:late", SF_OPEN_EXISTING);

    Shutdown();
    EXPECT_FALSE(aborted.IsOpen());
    EXPECT_FALSE(late.IsOpen());
    char b[4];
    EXPECT_EQ(RamError([&] { late.Read(b, 4); }), E::ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenError(u"RAM:late", SF_READ), E::ERROR_NOT_READY);   // no disk now
    fillers.clear();

    ASSERT_TRUE(Initialize());
    EXPECT_EQ(OpenError(u"RAM:late", SF_READ), E::ERROR_FILE_NOT_FOUND);   // a fresh disk
    EXPECT_TRUE(late.Open(u"RAM:late", kRw | SF_CREATE_NEW));
    EXPECT_EQ(late.GetLength(), 0u);
}
