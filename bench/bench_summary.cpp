// SPDX-License-Identifier: GPL-3.0-or-later
// The summary of 100,000 series (20 impacts each), as the views rebuild it
// after every change: BuildSummary plus the mean-mode statistics, BuildSummary
// plus the median-mode statistics, and the page's copy text.  Limits: mean
// 30 ms, median 50 ms.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "BenchSupport.h"
#include "data/PaperDoc.h"
#include "data/SummaryPageText.h"

namespace {

constexpr int kSeries = 100000;
constexpr int kImpacts = 20;

// A document holding kSeries random series as downloaded.
CPaperDoc& Document()
{
    static CPaperDoc* doc = [] {
        auto* d = new CPaperDoc;
        std::mt19937 random(11);
        std::vector<uint8_t> bytes;
        bytes.reserve(static_cast<size_t>(kSeries) * BenchSupport::SeriesSize(kImpacts));
        for (int i = 0; i < kSeries; ++i) {
            BenchSupport::AppendSeriesHead(bytes, random, kImpacts);
            BenchSupport::AppendLimits(bytes, 60, 160);
            for (int k = 0; k < kImpacts; ++k) {
                const uint8_t value = static_cast<uint8_t>(40 + random() % 120);
                const uint16_t energy = static_cast<uint16_t>(1000 + random() % 2000);
                BenchSupport::AppendImpact(bytes, value, energy);
            }
        }
        BenchSupport::StoreDownload(*d, BenchSupport::MakeInfoBlock("VT-1001"), bytes, 0);
        return d;
    }();
    return *doc;
}

void BuildWithStatistics(benchmark::State& state, uint8_t mode)
{
    CPaperDoc& doc = Document();
    doc.SetSummaryAveragingMode(mode);
    for (auto _ : state) {
        doc.BuildSummary();
        const SummaryStatistics st = doc.GetSummaryStatistics();
        benchmark::DoNotOptimize(st);
    }
    state.counters["entries"] = doc.GetSummaryCount();
}

void BM_BuildSummaryMean(benchmark::State& state) { BuildWithStatistics(state, 2); }
void BM_BuildSummaryMedian(benchmark::State& state) { BuildWithStatistics(state, 1); }

void BM_StatisticsMedianOnly(benchmark::State& state)
{
    CPaperDoc& doc = Document();
    doc.SetSummaryAveragingMode(1);
    doc.BuildSummary();
    for (auto _ : state) {
        const SummaryStatistics st = doc.GetSummaryStatistics();
        benchmark::DoNotOptimize(st);
    }
}

void BM_SummaryCopyText(benchmark::State& state)
{
    CPaperDoc& doc = Document();
    doc.SetSummaryAveragingMode(2);
    doc.BuildSummary();
    for (auto _ : state) {
        const std::u16string text = SummaryPageText::CopyText(doc.GetSummary(), 0x0302);
        benchmark::DoNotOptimize(text.data());
    }
}

} // namespace

BENCHMARK(BM_BuildSummaryMean)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSummaryMedian)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsMedianOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummaryCopyText)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
