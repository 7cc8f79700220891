// SPDX-License-Identifier: GPL-3.0-or-later
// The summary page driven offscreen with 20,000 entries: a repaint of the
// whole client area (double-buffered drawing of everything in view), the
// layout measured afresh (the list height found from scratch), the layout
// with the remembered list height, and the picture of the whole layout.
//
//   QT_QPA_PLATFORM=offscreen build/bin/brelmora-bench-summary_view
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <memory>

#include "BenchSupport.h"
#include "data/PaperDoc.h"
#include "views/summary/SummaryPicture.h"
#include "views/summary/SummaryView.h"
#include "views/summary/TabSummary.h"

namespace {

// One document with `count` series of 20 impacts, all in the summary, and
// its page shown at 1400 x 900.
struct Page {
    CPaperDoc doc;
    std::unique_ptr<CTabSummary> page;

    explicit Page(int count)
    {
        BenchSupport::StoreDownload(doc, BenchSupport::MakeInfoBlock("VT-10428"),
                                    BenchSupport::MakeRandomDownload(count, 20, 77), 0);
        doc.SetAllInSummary(true);
        page = std::make_unique<CTabSummary>(&doc);
        page->resize(1400, 900);
        page->show();
        for (int k = 0; k < 3; ++k)
            QCoreApplication::processEvents();
    }
};

Page& PageOf(int count)
{
    static std::unique_ptr<Page> page;
    if (!page)
        page = std::make_unique<Page>(count);
    return *page;
}

void BM_Paint(benchmark::State& state)
{
    Page& p = PageOf(static_cast<int>(state.range(0)));
    CSummaryView* view = p.page->View();
    for (auto _ : state)
        view->viewport()->repaint();
    state.counters["entries"] = static_cast<double>(view->Data().entries.size());
}

void BM_PaintScrolled(benchmark::State& state)
{
    Page& p = PageOf(static_cast<int>(state.range(0)));
    CSummaryView* view = p.page->View();
    QScrollBar* bar = view->verticalScrollBar();
    int direction = 1;
    for (auto _ : state) {
        int next = bar->value() + direction * bar->pageStep();
        if (next > bar->maximum() || next < 0) {
            direction = -direction;
            next = bar->value() + direction * bar->pageStep();
        }
        bar->setValue(next);
        view->viewport()->repaint();
    }
    bar->setValue(0);
}

void BM_LayoutFresh(benchmark::State& state)
{
    Page& p = PageOf(static_cast<int>(state.range(0)));
    CSummaryView* view = p.page->View();
    int listHeight = 0;
    for (auto _ : state) {
        view->Memory().Forget();
        listHeight = view->Layout().listHeight;
    }
    state.counters["list_height"] = listHeight;
}

void BM_LayoutRemembered(benchmark::State& state)
{
    Page& p = PageOf(static_cast<int>(state.range(0)));
    CSummaryView* view = p.page->View();
    view->Layout();
    for (auto _ : state)
        benchmark::DoNotOptimize(view->Layout().extent);
}

void BM_RefillAndPaint(benchmark::State& state)
{
    Page& p = PageOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        p.page->Refill(-1);
        p.page->View()->viewport()->repaint();
    }
}

void BM_Picture(benchmark::State& state)
{
    Page& p = PageOf(static_cast<int>(state.range(0)));
    CSummaryView* view = p.page->View();
    for (auto _ : state)
        benchmark::DoNotOptimize(SummaryPicture::Image(view->Data(), view->ClientWidth(), view->font()));
}

} // namespace

BENCHMARK(BM_Paint)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PaintScrolled)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LayoutFresh)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LayoutRemembered)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RefillAndPaint)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Picture)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
