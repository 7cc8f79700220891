// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "streamio/file/FileStream.h"
#include "streamio/IoStream.h"
#include "streamio/StreamTable.h"
#include "streamio/TestStream.h"

using namespace StreamIO;

namespace {

// A stream that exists before main and is destroyed after every test, after
// Shutdown and after the other statics of this program: it must neither
// crash nor touch a freed lock.
CFileStream g_staticStream;

uint32_t IndexOf(uint32_t id) { return id & CStreamTable::kIndexMask; }
uint32_t SequenceOf(uint32_t id) { return id & CStreamTable::kSequenceMask; }

} // namespace

TEST(StreamTable, IdsCarryIndexAndAdvancingSequence)
{
    CStreamTable table;
    CTestStream a, b, c;
    EXPECT_EQ(table.Register(&a), 0x400u);
    EXPECT_EQ(table.Register(&b), 0x801u);
    EXPECT_EQ(table.Register(&c), 0xC02u);
    EXPECT_EQ(table.Find(0x801u), &b);
    EXPECT_EQ(table.Find(0x800u), nullptr);   // right sequence, wrong index
    EXPECT_EQ(table.Find(0x401u), nullptr);   // right index, wrong sequence
    EXPECT_EQ(table.Find(0), nullptr);
}

TEST(StreamTable, SequenceRestartsAfterTheLastValue)
{
    CStreamTable table(0xFFFFF800u);
    CTestStream a, b, c;
    EXPECT_EQ(table.Register(&a), 0xFFFFF800u);
    EXPECT_EQ(table.Register(&b), 0xFFFFFC01u);
    EXPECT_EQ(table.Register(&c), 0x402u);
}

TEST(StreamTable, LowestFreeIndexIsReusedAndStaleIdsAreNotFound)
{
    CStreamTable table;
    CTestStream a, b, c, d;
    table.Register(&a);
    const uint32_t idB = table.Register(&b);
    table.Register(&c);
    table.Unregister(&b, idB);
    EXPECT_EQ(table.Find(idB), nullptr);
    const uint32_t idD = table.Register(&d);
    EXPECT_EQ(IndexOf(idD), IndexOf(idB));
    EXPECT_NE(idD, idB);
    EXPECT_EQ(table.Find(idB), nullptr);
    EXPECT_EQ(table.Find(idD), &d);
    // Unregistering with a stale id must not remove the new holder.
    table.Unregister(&b, idB);
    EXPECT_EQ(table.Find(idD), &d);
}

TEST(StreamTable, FullTableRegistersNothingAndKeepsTheSequence)
{
    CStreamTable table;
    std::vector<CTestStream> streams(CStreamTable::kMaxEntries + 1);
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < CStreamTable::kMaxEntries; ++i)
        ids.push_back(table.Register(&streams[i]));
    EXPECT_EQ(table.Register(&streams.back()), 0u);
    EXPECT_EQ(table.Count(), CStreamTable::kMaxEntries);
    table.Unregister(&streams[5], ids[5]);
    const uint32_t lastId = ids.back();
    const uint32_t id = table.Register(&streams.back());
    EXPECT_EQ(IndexOf(id), 5u);
    EXPECT_EQ(SequenceOf(id), SequenceOf(lastId) + CStreamTable::kSequenceStep);
}

TEST(OpenStreamTable, The1025thStreamGetsIdZeroAndIsNotFound)
{
    const size_t before = CStreamTable::Process().Count();
    ASSERT_LT(before, CStreamTable::kMaxEntries);
    std::vector<std::unique_ptr<CTestStream>> streams;
    for (size_t i = before; i < CStreamTable::kMaxEntries; ++i) {
        streams.push_back(std::make_unique<CTestStream>());
        ASSERT_NE(streams.back()->GetId(), 0u);
        ASSERT_EQ(FindStream(streams.back()->GetId()), streams.back().get());
    }
    CTestStream extra;
    EXPECT_EQ(extra.GetId(), 0u);
    EXPECT_EQ(FindStream(0), nullptr);
    EXPECT_EQ(CloseStream(0), Platform::ERROR_INVALID_HANDLE);

    // A freed index goes to the next stream, under a new id.
    const uint32_t oldId = streams[3]->GetId();
    streams[3].reset();
    CTestStream next;
    EXPECT_EQ(IndexOf(next.GetId()), IndexOf(oldId));
    EXPECT_NE(next.GetId(), oldId);
    EXPECT_EQ(FindStream(oldId), nullptr);
    EXPECT_EQ(FindStream(next.GetId()), &next);
}

TEST(OpenStreamTable, ConcurrentRegistrationsGetDistinctIds)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 100;
    std::vector<std::vector<std::unique_ptr<CTestStream>>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kPerThread; ++i) {
                made[t].push_back(std::make_unique<CTestStream>());
                if (i % 3 == 0)
                    made[t].pop_back();   // interleave deregistrations
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    std::set<uint32_t> ids;
    for (const auto& list : made) {
        for (const auto& s : list) {
            EXPECT_NE(s->GetId(), 0u);
            EXPECT_TRUE(ids.insert(s->GetId()).second);
            EXPECT_EQ(FindStream(s->GetId()), s.get());
        }
    }
}
