// SPDX-License-Identifier: GPL-3.0-or-later
// The IP stream on loopback.
//
//   IpDownload/1MiB_unthrottled   1 MiB of series over TCP from the simulator,
//                                 read by the device layer's download
//   IpOpen/refused                opening an IP stream to a loopback port
//                                 where nobody listens (fails with 10061)
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "device/VeltranoDevice.h"
#include "device/VnCommands.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "sim/SeriesGenerator.h"
#include "sim/TcpSimulator.h"
#include "streamio/IoStream.h"

namespace {

void BM_IpDownload1MiB(benchmark::State& state)
{
    Sim::SSimContent content;
    Sim::GrowSeriesBeyond(content.series, 1u << 20, 21);
    const size_t size = Sim::BuildSeriesBytes(content.series).size();
    Sim::CTcpSimulator sim(std::make_shared<Sim::CInstrument>(content));
    std::string error;
    if (!sim.Start("127.0.0.1", 0, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto device = std::make_unique<Device::CVeltranoDevice>();
    try {
        std::unique_ptr<StreamIO::CIoStream> stream = StreamIO::OpenStream(
            Platform::Format("IP:127.0.0.1:%u", static_cast<unsigned>(sim.GetPort())), StreamIO::SF_READ | StreamIO::SF_WRITE);
        Device::SDeviceInfo info;
        if (!device->Attach(stream, Device::PORT_ETHERNET) || !device->Identify(info)) {
            state.SkipWithError("the simulator did not answer");
            return;
        }
    } catch (const Platform::CFileException& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        std::vector<uint8_t> data;
        if (device->ReadSeriesData(data) != Device::RDB_OK || data.size() != size) {
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

void BM_IpOpenRefused(benchmark::State& state)
{
    // A port that was free a moment ago: bound by the simulator, then released.
    uint16_t port = 0;
    {
        Sim::CTcpSimulator probe(std::make_shared<Sim::CInstrument>(Sim::SSimContent{}));
        std::string error;
        if (!probe.Start("127.0.0.1", 0, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        port = probe.GetPort();
    }
    const std::u16string name = Platform::Format("IP:127.0.0.1:%u", static_cast<unsigned>(port));
    for (auto _ : state) {
        try {
            StreamIO::OpenStream(name, StreamIO::SF_READ | StreamIO::SF_WRITE);
            state.SkipWithError("somebody listens on the port");
            break;
        } catch (const Platform::CFileException& e) {
            benchmark::DoNotOptimize(e.GetOsError());
        }
    }
}

} // namespace

BENCHMARK(BM_IpDownload1MiB)->Name("IpDownload/1MiB_unthrottled")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IpOpenRefused)->Name("IpOpen/refused")->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    return BenchSupport::RunWithPrivateRegistry(argc, argv, "");
}
