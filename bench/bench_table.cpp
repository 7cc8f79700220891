// SPDX-License-Identifier: GPL-3.0-or-later
// The series table driven offscreen with 20,000 and 100,000 series: filling
// the grid, a header-click sort with its refill, expand all and collapse
// all, and the repaint after scrolling one page (rows closed and open).
// The counter "rss_MB" is the resident memory of the whole process after
// the table was filled.
//
//   QT_QPA_PLATFORM=offscreen build/bin/brelmora-bench-table
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "controls/GridCtrl.h"
#include "data/PaperDoc.h"
#include "views/table/TabGrid.h"

namespace {

// A download of `count` series with 5 to 80 impacts each.
std::vector<uint8_t> Download(int count)
{
    std::mt19937 random(1234);
    std::vector<uint8_t> bytes;
    for (int s = 0; s < count; ++s) {
        char id[17] = {};
        std::snprintf(id, sizeof id, "ROLL-%07d", s);
        bytes.insert(bytes.end(), id, id + 16);
        const uint16_t counter = static_cast<uint16_t>(random());
        bytes.push_back(static_cast<uint8_t>(counter));
        bytes.push_back(static_cast<uint8_t>(counter >> 8));
        const uint32_t stamp = 800000000u + static_cast<uint32_t>(random() % 50000000u);
        for (int k = 0; k < 4; ++k)
            bytes.push_back(static_cast<uint8_t>(stamp >> (8 * k)));
        const int impacts = 5 + static_cast<int>(random() % 76);
        bytes.push_back(static_cast<uint8_t>(impacts));
        bytes.push_back(static_cast<uint8_t>(60 + random() % 40));   // lower limit
        bytes.push_back(static_cast<uint8_t>(110 + random() % 40));  // upper limit
        bytes.push_back(0);
        bytes.push_back(0);
        const int base = 70 + static_cast<int>(random() % 40);
        for (int k = 0; k < impacts; ++k) {
            bytes.push_back(static_cast<uint8_t>(base + static_cast<int>(random() % 21) - 10));
            bytes.push_back(0xDC);
            bytes.push_back(0x05);
            bytes.push_back(0);
        }
    }
    return bytes;
}

double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// One document and one table page per series count, kept between runs.
struct Table {
    CPaperDoc doc;
    std::unique_ptr<CTabGrid> page;

    explicit Table(int count)
    {
        std::vector<uint8_t> info(128, 0);
        std::memcpy(info.data() + 34, "VT-10428", 8);
        doc.StoreDownloadedInfo(info.data(), info.size());
        const std::vector<uint8_t> bytes = Download(count);
        doc.StoreDownloadedSeries(bytes.data(), bytes.size());
        page = std::make_unique<CTabGrid>(&doc);
        page->resize(1400, 900);
        page->show();
        QCoreApplication::processEvents();
    }
};

Table& TableOf(int count)
{
    static std::unique_ptr<Table> t20, t100;
    std::unique_ptr<Table>& slot = count <= 20000 ? t20 : t100;
    if (!slot) {
        t20.reset();
        t100.reset();
        slot = std::make_unique<Table>(count);
    }
    return *slot;
}

void Settle()
{
    for (int k = 0; k < 3; ++k)
        QCoreApplication::processEvents();
}

void BM_Fill(benchmark::State& state)
{
    Table& table = TableOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        table.page->Refill(-1);
        table.page->Grid()->viewport()->repaint();
    }
    state.counters["rss_MB"] = ResidentMegabytes();
}

void BM_HeaderClickSort(benchmark::State& state)
{
    Table& table = TableOf(static_cast<int>(state.range(0)));
    int column = 3;
    for (auto _ : state) {
        // Mean value, then the other direction, then another column.
        table.page->OnHeaderClicked(column);
        Settle();   // the queued refill that scrolls back to the top row
        table.page->Grid()->viewport()->repaint();
        column = column == 3 ? 1 : 3;
    }
    state.counters["rss_MB"] = ResidentMegabytes();
}

void BM_ExpandAll(benchmark::State& state)
{
    Table& table = TableOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        table.page->ExpandAll(true);
        table.page->Grid()->viewport()->repaint();
        state.PauseTiming();
        table.page->ExpandAll(false);
        state.ResumeTiming();
    }
    state.counters["rss_MB"] = ResidentMegabytes();
}

void BM_CollapseAll(benchmark::State& state)
{
    Table& table = TableOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        table.page->ExpandAll(true);
        state.ResumeTiming();
        table.page->ExpandAll(false);
        table.page->Grid()->viewport()->repaint();
    }
}

void ScrollPage(benchmark::State& state, bool expanded)
{
    Table& table = TableOf(static_cast<int>(state.range(0)));
    table.page->ExpandAll(expanded);
    CGridCtrl* grid = table.page->Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(bar->maximum() / 3);
    grid->viewport()->repaint();
    int direction = 1;
    for (auto _ : state) {
        int next = bar->value() + direction * bar->pageStep();
        if (next > bar->maximum() || next < 0) {
            direction = -direction;
            next = bar->value() + direction * bar->pageStep();
        }
        bar->setValue(next);
        grid->viewport()->repaint();
    }
    table.page->ExpandAll(false);
}

void BM_ScrollPageClosed(benchmark::State& state)
{
    ScrollPage(state, false);
}

void BM_ScrollPageOpen(benchmark::State& state)
{
    ScrollPage(state, true);
}

} // namespace

BENCHMARK(BM_Fill)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HeaderClickSort)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_ExpandAll)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CollapseAll)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ScrollPageClosed)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_ScrollPageOpen)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(50);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
