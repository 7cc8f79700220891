// SPDX-License-Identifier: GPL-3.0-or-later
// The archive window and the trend chart against large archives: the first
// page of rows after a filter change in a 1,000,000-series archive
// (SQLite), the trend chart of 10,000 series painted, and the same chart
// printed into a PDF.  The large archive is made once and kept in the
// temporary folder (BRELMORA_BENCH_ARCHIVE names another file).
//
//   QT_QPA_PLATFORM=offscreen build/bin/brelmora-bench-trend
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "archive/LabArchive.h"
#include "archive/TrendChart.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "views/archive/ArchiveResultModel.h"
#include "views/trend/TrendPainter.h"
#include "views/trend/TrendPicture.h"

namespace {

std::string LargeArchivePath()
{
    if (const char* given = std::getenv("BRELMORA_BENCH_ARCHIVE"))
        return given;
    return std::filesystem::temp_directory_path().string() + "/brelmora-bench-1M.sqlite";
}

// `count` series of 5 impacts in chunks of 100,000 (one import each).
void Fill(const std::string& path, int count)
{
    auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(path)),
                                              Archive::CLabArchive::EMode::Write);
    for (int done = 0, chunk = 0; done < count; ++chunk) {
        const int n = std::min(100000, count - done);
        CPaperDoc doc;
        BenchSupport::StoreDownload(doc, BenchSupport::MakeInfoBlock("VT-" + std::to_string(20000 + chunk)),
                                    BenchSupport::MakeRandomDownload(n, 5, 1000u + static_cast<unsigned>(chunk)), 0);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
        done += n;
    }
}

Archive::CLabArchive& LargeArchive()
{
    static std::unique_ptr<Archive::CLabArchive> archive = [] {
        const std::string path = LargeArchivePath();
        if (!std::filesystem::exists(path))
            Fill(path, 1000000);
        return Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(path)),
                                          Archive::CLabArchive::EMode::Read);
    }();
    return *archive;
}

const Archive::STrendChart& Chart10k()
{
    static const Archive::STrendChart chart = [] {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("trend.sqlite")).toStdString();
        Fill(path, 10000);
        auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(path)),
                                                  Archive::CLabArchive::EMode::Read);
        return Archive::MakeTrendChart(archive->Find({}, false));
    }();
    return chart;
}

// A filter change in the window: the model starts again and fetches its
// first page (roll IDs are random "ROLL-nnnnnnnn": each pattern finds
// about 10 % of the archive).
void BM_FirstRowsAfterFilterChange(benchmark::State& state)
{
    CArchiveResultModel model;
    model.SetArchive(&LargeArchive());
    int digit = 0;
    for (auto _ : state) {
        Archive::SFindFilter filter;
        filter.rollPattern = u"roll-" + std::u16string(1, static_cast<char16_t>(u'0' + digit++ % 10)) + u"*";
        model.SetFilter(filter);
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_FirstRowsSortedByCov(benchmark::State& state)
{
    CArchiveResultModel model;
    model.SetArchive(&LargeArchive());
    for (auto _ : state) {
        model.sort(CArchiveResultModel::colCov, Qt::DescendingOrder);
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_TrendPaint10k(benchmark::State& state)
{
    const Archive::STrendChart& chart = Chart10k();
    QImage image(1400, 900, QImage::Format_RGB32);
    STrendStyle style;
    style.font = QApplication::font();
    for (auto _ : state) {
        QPainter painter(&image);
        TrendPainter::Paint(painter, image.rect(), chart, style);
    }
}

void BM_TrendPdf10k(benchmark::State& state)
{
    const Archive::STrendChart& chart = Chart10k();
    QTemporaryDir folder;
    STrendStyle style;
    style.font = QApplication::font();
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("trend.pdf")));
        TrendPicture::Print(printer, chart, style);
    }
}

} // namespace

BENCHMARK(BM_TrendPaint10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendPdf10k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstRowsAfterFilterChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstRowsSortedByCov)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
