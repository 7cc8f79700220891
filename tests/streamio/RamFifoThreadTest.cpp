// SPDX-License-Identifier: GPL-3.0-or-later
// A FIFO shared by a writer thread and a reader thread: every byte arrives
// once and in order while the ring grows, wraps and is drained concurrently.
#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/ram/RamStream.h"
#include "streamio/RamTestSupport.h"

using namespace StreamIO;

namespace {

// Not periodic at any small length, so a lost, doubled or swapped piece is
// noticed.
uint8_t ByteAt(uint64_t i)
{
    return static_cast<uint8_t>(((i * 2654435761u) >> 13) ^ (i >> 9));
}

} // namespace

TEST_F(RamTest, WriterAndReaderThreadsShareAFifo)
{
    constexpr uint64_t kTotal = 8u << 20;
    CRamStream writer(u"RAM:threads", SF_WRITE | SF_CREATE_NEW | SF_FIFO);
    CRamStream reader(u"RAM:threads", SF_READ);

    std::thread producer([&] {
        std::mt19937 random(7);
        std::vector<uint8_t> chunk(9000);
        for (uint64_t sent = 0; sent < kTotal;) {
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(1 + random() % chunk.size(), kTotal - sent));
            for (uint32_t k = 0; k < n; ++k)
                chunk[k] = ByteAt(sent + k);
            sent += writer.Write(chunk.data(), n);
        }
    });

    std::mt19937 random(11);
    std::vector<uint8_t> buffer(12000);
    uint64_t received = 0;
    uint64_t mismatches = 0;
    while (received < kTotal) {
        const uint32_t got = reader.Read(buffer.data(), 1 + random() % static_cast<uint32_t>(buffer.size()));
        if (got == 0) {
            ASSERT_EQ(reader.GetError(), Platform::ERROR_HANDLE_EOF);
            std::this_thread::yield();
            continue;
        }
        for (uint32_t k = 0; k < got; ++k)
            mismatches += buffer[k] != ByteAt(received + k);
        received += got;
    }
    producer.join();
    EXPECT_EQ(received, kTotal);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(writer.GetLength(), 0u);
}
