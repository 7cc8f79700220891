// SPDX-License-Identifier: GPL-3.0-or-later
// Download speed over a pseudo-terminal against the instrument simulator,
// and the speed of a search over every COM number when no port exists.
//
//   Download/1MiB_unthrottled   1 MiB of series, simulator as fast as the line takes
//   Download/64KiB_38400baud    64 KiB of series, simulator paced to 38,400 baud 8N1
//   SearchAbsentPorts           JobSearch over COM1..COM256, none of them present
//
// The program uses a registry file of its own (in a temporary folder), so the
// port mappings it writes never reach the user's settings.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unistd.h>

#include "BenchSupport.h"
#include "device/Callback.h"
#include "device/DeviceThread.h"
#include "device/PaperTransfer.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/ComPorts.h"

namespace {

constexpr int kPort = 7;

class CCollector : public Device::CCallback {
public:
    void OnDeviceFound(std::unique_ptr<Device::CVnDevice> device) override
    {
        if (device && !found)
            found = std::move(device);
    }
    void OnStatusText(const std::u16string&) override {}
    void OnFinished(const std::u16string&, uint32_t) override {}
    void OnProgress(int, int, int) override {}

    std::unique_ptr<Device::CVnDevice> found;
};

std::unique_ptr<Device::CVeltranoDevice> Connect(int port)
{
    Device::ClearAbort();
    CCollector collector;
    Device::SSearchParams params;
    params.deviceType = Device::TYPE_VELTRANO;
    params.portKind = Device::PORT_SERIAL;
    params.comPort = static_cast<uint32_t>(port);
    Device::JobSearch(collector, params);
    return std::unique_ptr<Device::CVeltranoDevice>(dynamic_cast<Device::CVeltranoDevice*>(collector.found.release()));
}

void RunDownload(benchmark::State& state, size_t bytes, uint32_t baud)
{
    BenchSupport::CPtySimulator sim(bytes, baud);
    if (!sim.Serve(state, kPort))
        return;
    const size_t size = sim.SeriesBytes();
    auto device = Connect(kPort);
    if (!device) {
        state.SkipWithError("the simulator was not found");
        return;
    }
    for (auto _ : state) {
        std::vector<uint8_t> data;
        const int result = device->ReadSeriesData(data);
        if (result != Device::RDB_OK || data.size() != size) {
            state.SkipWithError("download failed");
            break;
        }
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.counters["series_bytes"] = static_cast<double>(size);
    device.reset();
    sim.Stop();
}

void BM_Download1MiBUnthrottled(benchmark::State& state)
{
    RunDownload(state, 1u << 20, 0);
}

void BM_Download64KiBAt38400(benchmark::State& state)
{
    RunDownload(state, 64u << 10, 38400);
}

void BM_SearchAbsentPorts(benchmark::State& state)
{
    for (int n = 1; n <= 256; ++n)
        Platform::SetComPortDevicePath(n, "/nonexistent/brelmora-bench/COM" + std::to_string(n));
    for (auto _ : state) {
        Device::ClearAbort();
        CCollector collector;
        Device::SSearchParams params;
        params.deviceType = Device::TYPE_VELTRANO;
        params.portKind = Device::PORT_SERIAL;
        params.scanAllComPorts = true;
        Device::JobSearch(collector, params);
        benchmark::DoNotOptimize(collector.found);
    }
}

} // namespace

BENCHMARK(BM_Download1MiBUnthrottled)->Name("Download/1MiB_unthrottled")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Download64KiBAt38400)
    ->Name("Download/64KiB_38400baud")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_SearchAbsentPorts)->Name("SearchAbsentPorts")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    // A private registry, removed at the end.
    return BenchSupport::RunWithPrivateRegistry(argc, argv, "");
}
