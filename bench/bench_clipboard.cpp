// SPDX-License-Identifier: GPL-3.0-or-later
// Copy and paste of 10,000 selected series (20 impacts each) through the
// private clipboard format and the RAM disk.
//
// The source document holds 20,000 series and every other one is selected.
// The paste goes into a document of 10,000 series sorted by counter, so the
// time includes the check of the whole stream, the append and the re-sort.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "data/Clipboard.h"
#include "data/PaperDoc.h"
#include "streamio/IoStream.h"

namespace {

constexpr int kImpacts = 20;
constexpr int kSelected = 10000;

std::unique_ptr<CPaperDoc> MakeDocument(int count, unsigned seed)
{
    StreamIO::Initialize();
    auto doc = std::make_unique<CPaperDoc>();
    BenchSupport::StoreDownload(*doc, BenchSupport::MakeInfoBlock("SN-0042-7781"),
                                BenchSupport::MakeRandomDownload(count, kImpacts, seed), count);
    return doc;
}

CPaperDoc& Source()
{
    static CPaperDoc* doc = MakeDocument(2 * kSelected, 7).release();
    return *doc;
}

std::vector<uint8_t> EveryOther()
{
    std::vector<uint8_t> selection(static_cast<size_t>(2 * kSelected), 0);
    for (size_t i = 0; i < selection.size(); i += 2)
        selection[i] = 1;
    return selection;
}

void BM_CopySelected(benchmark::State& state)
{
    CPaperDoc& doc = Source();
    const std::vector<uint8_t> selection = EveryOther();
    for (auto _ : state) {
        if (!doc.CopyToClipboard(selection))
            state.SkipWithError("copy failed");
    }
    state.counters["clip_MB"] = static_cast<double>(Clipboard::Process().GetData(u"BrelmoraClipboardFormat").size()) /
                                (1024.0 * 1024.0);
}
BENCHMARK(BM_CopySelected)->Unit(benchmark::kMillisecond);

void BM_PasteSelected(benchmark::State& state)
{
    if (!Source().CopyToClipboard(EveryOther())) {
        state.SkipWithError("copy failed");
        return;
    }
    std::unique_ptr<CPaperDoc> target;
    for (auto _ : state) {
        state.PauseTiming();
        target.reset();
        target = MakeDocument(kSelected, 11);
        target->Sort(CPaperData::sortCounter);
        state.ResumeTiming();
        if (!target->PasteFromClipboard())
            state.SkipWithError("paste failed");
    }
    state.counters["series"] = target ? target->GetCount() : 0;
}
BENCHMARK(BM_PasteSelected)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
