// Copy and paste of 10,000 selected series (20 impacts each) through the
// private clipboard format and the RAM disk.
//
// The source document holds 20,000 series and every other one is selected.
// The paste goes into a document of 10,000 series sorted by counter, so the
// time includes the check of the whole stream, the append and the re-sort.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/Clipboard.h"
#include "data/PaperDoc.h"
#include "streamio/IoStream.h"

namespace {

constexpr int kImpacts = 20;
constexpr int kSelected = 10000;

// The instrument's download bytes of `count` random series.
std::vector<uint8_t> MakeDownload(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(count) * (27 + 4 * kImpacts));
    for (int i = 0; i < count; ++i) {
        char id[17] = {};
        std::snprintf(id, sizeof id, "ROLL-%08u", static_cast<unsigned>(random() % 100000000u));
        bytes.insert(bytes.end(), id, id + 16);
        const uint16_t counter = static_cast<uint16_t>(random());
        const uint32_t date = static_cast<uint32_t>(random());
        bytes.push_back(static_cast<uint8_t>(counter));
        bytes.push_back(static_cast<uint8_t>(counter >> 8));
        for (int k = 0; k < 4; ++k)
            bytes.push_back(static_cast<uint8_t>(date >> (8 * k)));
        bytes.push_back(kImpacts);
        bytes.push_back(static_cast<uint8_t>(random() % 60));
        bytes.push_back(static_cast<uint8_t>(120 + random() % 80));
        bytes.push_back(0);
        bytes.push_back(0);
        for (int k = 0; k < kImpacts; ++k) {
            const uint16_t energy = static_cast<uint16_t>(500 + random() % 3000);
            bytes.push_back(static_cast<uint8_t>(40 + random() % 140));
            bytes.push_back(static_cast<uint8_t>(energy));
            bytes.push_back(static_cast<uint8_t>(energy >> 8));
            bytes.push_back(0);
        }
    }
    return bytes;
}

std::unique_ptr<CPaperDoc> MakeDocument(int count, unsigned seed)
{
    StreamIO::Initialize();
    auto doc = std::make_unique<CPaperDoc>();
    std::vector<uint8_t> info(128, 0);
    const std::string serial = "SN-0042-7781";
    std::copy(serial.begin(), serial.end(), info.begin() + 34);
    const std::vector<uint8_t> bytes = MakeDownload(count, seed);
    doc->StoreDownloadedInfo(info.data(), info.size());
    doc->StoreDownloadedSeries(bytes.data(), bytes.size());
    for (int i = 0; i < count; i += 10)
        doc->SetComment(i, u"checked by the lab");
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
