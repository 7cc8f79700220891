// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of CVnArchive over a disk file: 20 MB of mixed primitives
// (bytes, 16- and 32-bit numbers, short texts, small blocks) written, then
// read back.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/Text.h"
#include "streamio/VnArchive.h"

namespace {

constexpr size_t kTotalBytes = 20u * 1024u * 1024u;

// One round of mixed items: 1 + 2 + 4 + (3 + 2*12) + 4 + 32 = 72 bytes.
constexpr size_t kRoundBytes = 72;
constexpr size_t kRounds = kTotalBytes / kRoundBytes;

const std::u16string kText = u"Roll 0001234";   // 12 characters
const uint8_t kBlock[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                            17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

std::u16string BenchPath()
{
    const char* dir = std::getenv("TMPDIR");
    return Platform::FromUtf8(std::string(dir != nullptr ? dir : "/tmp") + "/brelmora-bench-archive-" +
                              std::to_string(getpid()) + ".bin");
}

void WriteFile(const std::u16string& path)
{
    StreamIO::CVnArchive ar(path, 0);
    for (size_t i = 0; i < kRounds; ++i) {
        ar.WriteByte(static_cast<uint8_t>(i));
        ar.Write16(static_cast<uint16_t>(i));
        ar.WriteText(kText);
        ar.Write32(static_cast<uint32_t>(i));
        ar.Write32(32);
        ar.WriteBytes(kBlock, sizeof kBlock);
    }
    ar.Close();
}

void BM_ArchiveWrite(benchmark::State& state)
{
    const std::u16string path = BenchPath();
    for (auto _ : state)
        WriteFile(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRounds * kRoundBytes));
    std::remove(Platform::ToUtf8(path).c_str());
}

void BM_ArchiveRead(benchmark::State& state)
{
    const std::u16string path = BenchPath();
    WriteFile(path);
    for (auto _ : state) {
        StreamIO::CVnArchive ar(path, StreamIO::CVnArchive::load);
        uint64_t sum = 0;
        uint8_t block[32];
        for (size_t i = 0; i < kRounds; ++i) {
            sum += ar.ReadByte();
            sum += ar.Read16();
            sum += ar.ReadText().size();
            sum += ar.Read32();
            const uint32_t n = ar.Read32();
            ar.ReadBytes(block, n <= sizeof block ? n : sizeof block);
            sum += block[0];
        }
        benchmark::DoNotOptimize(sum);
        ar.Close();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRounds * kRoundBytes));
    std::remove(Platform::ToUtf8(path).c_str());
}

} // namespace

BENCHMARK(BM_ArchiveWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveRead)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
