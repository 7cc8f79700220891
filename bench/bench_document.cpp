// SPDX-License-Identifier: GPL-3.0-or-later
// The project document with 100,000 series of 20 impacts each: open, save,
// every sort mode, statistics of all series, restoring the original data.
//
// The document's memory is measured by counting the heap: this program
// replaces the global operator new/delete and keeps the live and the peak
// number of bytes (usable size of each block).  "peak_MB" of the open
// benchmark is the peak heap growth from before the document is created
// until it holds the opened project (both collections plus every transient
// buffer of the reader).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

void Track(void* p)
{
    const size_t now = g_live.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

void* Allocate(size_t n)
{
    void* p = std::malloc(n != 0 ? n : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    Track(p);
    return p;
}

void Release(void* p) noexcept
{
    if (p != nullptr) {
        g_live.fetch_sub(malloc_usable_size(p));
        std::free(p);
    }
}

} // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

constexpr int kSeries = 100000;
constexpr int kImpacts = 20;

// A private folder for the project files, removed when the program ends.
struct TempFolderHolder {
    std::string path;
    TempFolderHolder()
    {
        char pattern[] = "/tmp/brelmora-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made != nullptr ? made : "";
    }
    ~TempFolderHolder()
    {
        if (path.empty())
            return;
        for (const char* name : {"/large.vnr", "/saved.vnr"})
            std::remove((path + name).c_str());
        ::rmdir(path.c_str());
    }
};

std::string TempFolder()
{
    static TempFolderHolder folder;
    return folder.path.empty() ? std::string("/tmp") : folder.path;
}

// The downloaded document, built once.
CPaperDoc& Downloaded()
{
    static CPaperDoc* doc = [] {
        auto* d = new CPaperDoc;
        BenchSupport::StoreDownload(*d, BenchSupport::MakeInfoBlock("SN-0042-7781", "VELTRANO IMPACT", "FW 2.10.3"),
                                    BenchSupport::MakeRandomDownload(kSeries, kImpacts, 7), kSeries);
        return d;
    }();
    return *doc;
}

const std::u16string& SavedProject()
{
    static const std::u16string path = [] {
        const std::u16string p = Platform::FromUtf8(TempFolder() + "/large.vnr");
        Downloaded().WriteProject(p);
        return p;
    }();
    return path;
}

void BM_OpenProject(benchmark::State& state)
{
    const std::u16string& path = SavedProject();
    std::unique_ptr<CPaperDoc> doc;
    size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();   // freeing the previous document is not part of opening
        doc.reset();
        const size_t before = g_live.load();
        g_peak.store(before);
        state.ResumeTiming();
        doc = std::make_unique<CPaperDoc>();
        if (!doc->OpenProject(path))
            state.SkipWithError("open failed");
        peak = g_peak.load() - before;
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["series"] = doc ? doc->GetCount() : 0;
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& state)
{
    CPaperDoc& doc = Downloaded();
    const std::u16string path = Platform::FromUtf8(TempFolder() + "/saved.vnr");
    for (auto _ : state) {
        if (!doc.WriteProject(path))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State& state)
{
    CPaperDoc& doc = Downloaded();
    const uint8_t mode = static_cast<uint8_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        doc.GetCurrent().CopyFrom(doc.GetOriginal());   // the download's order
        state.ResumeTiming();
        doc.Sort(mode);
    }
}
BENCHMARK(BM_Sort)->DenseRange(1, 12)->DenseRange(15, 22)->Unit(benchmark::kMillisecond);

void BM_StatisticsOfAllSeries(benchmark::State& state)
{
    const CPaperData& data = Downloaded().GetCurrent();
    for (auto _ : state) {
        float sum = 0;
        for (int i = 0; i < data.GetCount(); ++i)
            sum += data.ComputeStatistics(i).stdDevR;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_StatisticsOfAllSeries)->Unit(benchmark::kMillisecond);

void BM_RestoreOriginal(benchmark::State& state)
{
    CPaperDoc& doc = Downloaded();
    for (auto _ : state)
        doc.RestoreOriginal();
}
BENCHMARK(BM_RestoreOriginal)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
