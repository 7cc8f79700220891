// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store's cost: a query against an unchanged 1 MB settings file
// (the parse is kept while the file is unchanged), the first parse of that
// file in UTF-8 and in the UTF-16 the store writes, its text form, and a
// parse of a hostile 15 MB file of deep keys.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Registry.h"
#include "platform/RegistryDocument.h"

namespace {

std::string BenchFile(const char* name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/brelmora-bench-" + name + "-" + std::to_string(getpid()) +
           ".reg";
}

// About 1 MB: the program's settings plus many keys of another program.
std::string LargeSettings()
{
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    text += "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n\"DTFormat\"=dword:00000302\r\n\r\n";
    for (int k = 0; text.size() < 1024 * 1024; ++k) {
        text += "[HKEY_CURRENT_USER\\Software\\Other\\Key" + std::to_string(k) + "]\r\n";
        for (int v = 0; v < 20; ++v)
            text += "\"Value" + std::to_string(v) + "\"=\"some text of a setting\"\r\n";
        text += "\r\n";
    }
    return text;
}

void MakeOld(const std::string& path)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 60;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

void BM_QueryUnchanged1MB(benchmark::State& state)
{
    const std::string path = BenchFile("query");
    std::ofstream(path, std::ios::binary) << LargeSettings();
    MakeOld(path);
    setenv("BRELMORA_REGISTRY", path.c_str(), 1);
    for (auto _ : state) {
        Platform::CRegKey key;
        uint32_t value = 0;
        if (key.Open(u"Software\\Vantor\\Brelmora\\Settings", Platform::CRegKey::Read) != 0 ||
            key.QueryDword(u"DTFormat", value) != 0 || value != 0x302) {
            state.SkipWithError("query failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
    ::unlink(path.c_str());
}
BENCHMARK(BM_QueryUnchanged1MB)->Unit(benchmark::kMicrosecond);

void BM_Parse1MB(benchmark::State& state)
{
    const std::string text = LargeSettings();
    for (auto _ : state) {
        Platform::CRegDocument doc;
        benchmark::DoNotOptimize(doc.Parse(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Parse1MB)->Unit(benchmark::kMillisecond);

// The same settings as the store writes them (UTF-16LE with a byte-order
// mark): the form every file takes after its first change.
void BM_Parse1MBUtf16(benchmark::State& state)
{
    Platform::CRegDocument source;
    if (!source.Parse(LargeSettings())) {
        state.SkipWithError("parse failed");
        return;
    }
    const std::string bytes = source.Serialize();
    for (auto _ : state) {
        Platform::CRegDocument doc;
        benchmark::DoNotOptimize(doc.Parse(bytes));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_Parse1MBUtf16)->Unit(benchmark::kMillisecond);

// The text form of a change to that file, written before every rename.
void BM_Serialize1MB(benchmark::State& state)
{
    Platform::CRegDocument doc;
    if (!doc.Parse(LargeSettings())) {
        state.SkipWithError("parse failed");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.Serialize());
}
BENCHMARK(BM_Serialize1MB)->Unit(benchmark::kMillisecond);

// 15 MB of sections 500 levels deep, each a new chain: the worst a file
// within the registry's depth limit can ask of the parser.
void BM_ParseDeep15MB(benchmark::State& state)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int chain = 0; text.size() < 15u * 1024 * 1024; ++chain) {
        text += "[HKEY_CURRENT_USER\\c" + std::to_string(chain);
        for (int level = 0; level < 498; ++level)
            text += "\\kk";
        text += "]\r\n";
    }
    for (auto _ : state) {
        Platform::CRegDocument doc;
        benchmark::DoNotOptimize(doc.Parse(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseDeep15MB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
