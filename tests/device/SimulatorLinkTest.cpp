// SPDX-License-Identifier: GPL-3.0-or-later
// The device library against the instrument simulator over a real
// pseudo-terminal, mapped as a COM port in the test's registry: search,
// identification, download with every fault the simulator can show, delete,
// series names and the option.
#ifdef BRELMORA_HAVE_SIM

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "DeviceTestSupport.h"
#include "device/Contents.h"
#include "device/DeviceThread.h"
#include "device/PaperTransfer.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/ComPorts.h"
#include "platform/Text.h"
#include "sim/SeriesGenerator.h"
#include "sim/VeltranoSimulator.h"

using namespace Device;

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kPort = 40;

long long MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class SimulatorLink : public ::testing::Test {
protected:
    void Start(Sim::SFaults faults = {}, size_t series = 12)
    {
        Sim::SSimContent content;
        content.series = Sim::GenerateSeries(series, 11);
        content.names = {"PM1 NP 001", "PM2 LWC"};
        m_instrument = std::make_shared<Sim::CInstrument>(content, faults, 5);
        m_sim = std::make_unique<Sim::CVeltranoSimulator>(m_instrument);
        std::string error;
        const std::string path = m_sim->ServePty(&error);
        ASSERT_FALSE(path.empty()) << error;
        ASSERT_EQ(Platform::SetComPortDevicePath(static_cast<int>(kPort), path), 0u);
    }

    void TearDown() override
    {
        m_device.reset();
        if (m_sim)
            m_sim->Stop();
        Platform::RemoveComPortDevicePath(static_cast<int>(kPort));
    }

    // Runs the search on the one mapped port, as the connection wizard does.
    void Connect()
    {
        ClearAbort();
        CRecordingCallback callback;
        SSearchParams params;
        params.deviceType = TYPE_VELTRANO;
        params.portKind = PORT_SERIAL;
        params.comPort = kPort;
        JobSearch(callback, params);
        std::string lines;
        for (const auto& line : callback.status)
            lines += Platform::ToUtf8(line) + "\n";
        ASSERT_EQ(callback.found.size(), 1u) << lines;
        m_device.reset(dynamic_cast<CVeltranoDevice*>(callback.found[0].release()));
        ASSERT_NE(m_device, nullptr);
    }

    std::vector<uint8_t> ExpectedSeries() const
    {
        return Sim::BuildSeriesBytes(m_instrument->GetContent().series);
    }

    std::shared_ptr<Sim::CInstrument> m_instrument;
    std::unique_ptr<Sim::CVeltranoSimulator> m_sim;
    std::unique_ptr<CVeltranoDevice> m_device;
};

} // namespace

TEST_F(SimulatorLink, SearchIdentifyAndDownload)
{
    Start();
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_EQ(m_device->GetStreamName(), u"\\\\.\\COM40");
    SDeviceInfo info;
    ASSERT_TRUE(m_device->IdentifyShort(info));
    EXPECT_EQ(info.serialNumber, u"VT-20417");
    EXPECT_NE(m_device->GetInfoText().find(u"Serial number:\tVT-20417"), std::u16string::npos);
    CContents versions;
    ASSERT_TRUE(m_device->GetVersionList(versions));
    EXPECT_EQ(versions.GetEntry(0).version, CVersion(2, 14, 0, 3));
    EXPECT_EQ(m_device->GetHardwareId(), 0x00040C21);

    CRecordingCallback progress;
    SPaperDownload out;
    ASSERT_EQ(DownloadSeries(m_device, out, &progress), ETransferResult::Ok);
    const auto info128 = Sim::BuildInfoBlock(m_instrument->GetContent());
    EXPECT_TRUE(std::equal(info128.begin(), info128.end(), out.infoBlock.begin()));
    EXPECT_EQ(out.series, ExpectedSeries());
    uint32_t clock = 0;
    EXPECT_TRUE(m_instrument->GetClock(clock));
    EXPECT_TRUE(CheckAlive(m_device));
}

TEST_F(SimulatorLink, SeriesBeyond64KiBComeDownWhole)
{
    Sim::SFaults faults;
    faults.largeSeries = true;
    Start(faults);
    ASSERT_NO_FATAL_FAILURE(Connect());
    SPaperDownload out;
    ASSERT_EQ(DownloadSeries(m_device, out), ETransferResult::Ok);
    EXPECT_GT(out.series.size(), 65536u);
    EXPECT_EQ(out.series, ExpectedSeries());
}

TEST_F(SimulatorLink, FaultsEndInTheirOutcomes)
{
    struct SCase {
        const char* faults;
        ETransferResult result;
        ELinkFailure failure;
    };
    const SCase cases[] = {
        {"bad-checksum", ETransferResult::CommFailure, ELinkFailure::Checksum},
        {"short-info", ETransferResult::NoDeviceAnswer, ELinkFailure::None},
        {"cannot-transfer", ETransferResult::CannotTransfer, ELinkFailure::None},
        {"no-series", ETransferResult::NoSeries, ELinkFailure::None},
        {"hangup", ETransferResult::CommFailure, ELinkFailure::HangUp},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.faults);
        Sim::SFaults faults;
        std::string error;
        ASSERT_TRUE(Sim::ParseFaults(c.faults, faults, error)) << error;
        Start(faults);
        ASSERT_NO_FATAL_FAILURE(Connect());
        SPaperDownload out;
        const auto started = Clock::now();
        EXPECT_EQ(DownloadSeries(m_device, out), c.result);
        EXPECT_LT(MsSince(started), 5000);
        if (c.failure != ELinkFailure::None) {
            EXPECT_EQ(out.failure, c.failure);
        }
        const bool disconnected = c.result == ETransferResult::CommFailure || c.result == ETransferResult::CannotTransfer;
        EXPECT_EQ(m_device == nullptr, disconnected);
        TearDown();
    }
}

TEST_F(SimulatorLink, SilenceAndGarbageFailWithinTheTimeouts)
{
    // The search is one request (DLE and "@ID@"), then information block and
    // clock: silence from the fourth request on hits the series read.
    for (const char* faultText : {"silence-after=3", "garbage=7"}) {
        SCOPED_TRACE(faultText);
        Sim::SFaults faults;
        std::string error;
        ASSERT_TRUE(Sim::ParseFaults(faultText, faults, error)) << error;
        Start(faults);
        ClearAbort();
        CRecordingCallback callback;
        SSearchParams params;
        params.deviceType = TYPE_VELTRANO;
        params.portKind = PORT_SERIAL;
        params.comPort = kPort;
        JobSearch(callback, params);
        if (!callback.found.empty()) {
            m_device.reset(dynamic_cast<CVeltranoDevice*>(callback.found[0].release()));
            SPaperDownload out;
            const auto started = Clock::now();
            EXPECT_NE(DownloadSeries(m_device, out), ETransferResult::Ok);
            EXPECT_LT(MsSince(started), 10000);
            if (std::string(faultText) == "silence-after=3") {
                EXPECT_EQ(out.result, ETransferResult::CommFailure);
                EXPECT_EQ(out.failure, ELinkFailure::Timeout);
            }
        }
        TearDown();
    }
}

TEST_F(SimulatorLink, DeleteNamesAndOption)
{
    Start();
    ASSERT_NO_FATAL_FAILURE(Connect());
    std::vector<std::u16string> names;
    ASSERT_TRUE(m_device->ReadStringList(names));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"PM1 NP 001", u"PM2 LWC"}));
    ASSERT_TRUE(m_device->WriteString(1, u"PM2 LWC NEW NAME"));
    ASSERT_TRUE(m_device->ReadStringList(names));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], u"PM2 LWC NEW ");

    bool on = true;
    ASSERT_TRUE(m_device->QueryOption88(on));
    EXPECT_FALSE(on);
    ASSERT_TRUE(m_device->SetOption88(true));
    ASSERT_TRUE(m_device->QueryOption88(on));
    EXPECT_TRUE(on);

    EXPECT_TRUE(DeleteAllSeries(*m_device));
    SPaperDownload out;
    EXPECT_EQ(DownloadSeries(m_device, out), ETransferResult::NoSeries);
}

TEST_F(SimulatorLink, StopOfTheDeviceThreadDuringASilentSearch)
{
    Sim::SFaults faults;
    faults.silenceAfter = 0;
    Start(faults);
    ASSERT_TRUE(StartDeviceThread());
    CRecordingCallback callback;
    SSearchParams params;
    params.deviceType = TYPE_VELTRANO;
    params.portKind = PORT_SERIAL;
    params.comPort = kPort;
    ASSERT_TRUE(EnqueueJob(&callback, &params));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));   // inside the identification
    const auto started = Clock::now();
    EXPECT_TRUE(StopDeviceThread());
    EXPECT_LT(MsSince(started), 1000);
    EXPECT_TRUE(callback.found.empty());
}

#endif // BRELMORA_HAVE_SIM
