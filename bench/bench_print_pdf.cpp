// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of the desktop program without a window: brelmora --print-pdf
// of a project of 2,000 series (the table, all rows) and with --summary,
// and brelmora --summary-picture; process start, project read, printing,
// PDF written.  Wall time is what counts.
//
//   build/bin/brelmora-bench-print_pdf
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"

namespace {

// Runs brelmora quietly; its exit status, or -1 when it did not run.
int RunProgram(const std::vector<std::string>& args)
{
    static const std::string program = BenchSupport::SiblingProgram("brelmora");
    return BenchSupport::RunQuietly(program, args);
}

// A folder of its own with a project of `count` series of 5 to 80 impacts.
const std::string& Folder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/brelmora-bench-print-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made != nullptr ? made : "/tmp");
    }();
    return folder;
}

std::string Project(int count)
{
    const std::string path = Folder() + "/rolls-" + std::to_string(count) + ".vnr";
    if (!std::filesystem::exists(path)) {
        CPaperDoc doc;
        BenchSupport::StoreDownload(doc, BenchSupport::MakeInfoBlock("VT-10428"),
                                    BenchSupport::MakeRandomDownload(count, 40, 4242), count);
        doc.WriteProject(Platform::FromUtf8(path));
    }
    return path;
}

void Run(benchmark::State& state, const std::vector<std::string>& options, const std::string& out)
{
    const std::string project = Project(static_cast<int>(state.range(0)));
    std::vector<std::string> args = options;
    args.insert(args.begin() + 1, out);
    args.push_back(project);
    for (auto _ : state) {
        const int rc = RunProgram(args);
        if (rc != 0) {
            state.SkipWithError(("brelmora ended with " + std::to_string(rc)).c_str());
            break;
        }
    }
    if (std::filesystem::exists(out))
        state.counters["output_kB"] = static_cast<double>(std::filesystem::file_size(out)) / 1024.0;
}

void BM_PrintTable(benchmark::State& state)
{
    Run(state, {"--print-pdf"}, Folder() + "/table.pdf");
}

void BM_PrintSummary(benchmark::State& state)
{
    Run(state, {"--print-pdf", "--summary"}, Folder() + "/summary.pdf");
}

void BM_SummaryPicture(benchmark::State& state)
{
    Run(state, {"--summary-picture"}, Folder() + "/summary.png");
}

} // namespace

BENCHMARK(BM_PrintTable)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PrintSummary)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SummaryPicture)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    // Each run reads the settings: keep them out of the user's own.
    const std::string registry = Folder() + "/registry.reg";
    setenv("BRELMORA_REGISTRY", registry.c_str(), 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
