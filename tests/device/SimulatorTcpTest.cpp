// SPDX-License-Identifier: GPL-3.0-or-later
// The device library against the simulator over TCP on a loopback address
// of its own (port 3728): identification and a whole download over an IP
// stream opened by the factory, and the faults as over a serial line.
#ifdef BRELMORA_HAVE_SIM

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <unistd.h>

#include "DeviceTestSupport.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"
#include "platform/Text.h"
#include "sim/FaultModes.h"
#include "sim/SeriesGenerator.h"
#include "sim/TcpSimulator.h"
#include "streamio/IoStream.h"

using namespace Device;

namespace {

using Clock = std::chrono::steady_clock;

// 127.x.y.2 from the process id, so test programs running side by side
// each have their own address for port 3728.
std::string OwnLoopbackAddress()
{
    const unsigned pid = static_cast<unsigned>(::getpid());
    return "127." + std::to_string((pid >> 8) & 0xFF) + "." + std::to_string(pid & 0xFF) + ".2";
}

class SimulatorTcp : public ::testing::Test {
protected:
    void Start(const char* faultList = nullptr)
    {
        Sim::SFaults faults;
        if (faultList != nullptr) {
            std::string error;
            ASSERT_TRUE(Sim::ParseFaults(faultList, faults, error)) << error;
        }
        Sim::SSimContent content;
        content.series = Sim::GenerateSeries(40, 21);
        m_instrument = std::make_shared<Sim::CInstrument>(content, faults, 7);
        m_tcp = std::make_unique<Sim::CTcpSimulator>(m_instrument);
        std::string error;
        ASSERT_TRUE(m_tcp->Start(m_address, Sim::DEFAULT_TCP_PORT, error)) << error;
    }

    void Connect()
    {
        std::unique_ptr<StreamIO::CIoStream> stream =
            StreamIO::OpenStream(Platform::FromUtf8("IP:" + m_address + ":3728"), StreamIO::SF_READ | StreamIO::SF_WRITE);
        m_device = std::make_unique<CVeltranoDevice>();
        ASSERT_TRUE(m_device->Attach(stream, PORT_ETHERNET));
        SDeviceInfo info;
        ASSERT_TRUE(m_device->Identify(info));
        EXPECT_EQ(info.serialNumber, u"VT-20417");
    }

    void TearDown() override
    {
        m_device.reset();
        if (m_tcp)
            m_tcp->Stop();
    }

    std::string m_address = OwnLoopbackAddress();
    std::shared_ptr<Sim::CInstrument> m_instrument;
    std::unique_ptr<Sim::CTcpSimulator> m_tcp;
    std::unique_ptr<CVeltranoDevice> m_device;
};

} // namespace

TEST_F(SimulatorTcp, IdentifyAndDownloadOverTheInstrumentPort)
{
    Start();
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_EQ(m_device->GetStreamName(), Platform::FromUtf8(m_address + ":3728"));
    SPaperDownload out;
    ASSERT_EQ(DownloadSeries(m_device, out), ETransferResult::Ok);
    EXPECT_EQ(out.series, Sim::BuildSeriesBytes(m_instrument->GetContent().series));
    EXPECT_TRUE(CheckAlive(m_device));
}

TEST_F(SimulatorTcp, FaultsEndInTheirOutcomes)
{
    struct SCase {
        const char* faults;
        ETransferResult result;
    };
    const SCase cases[] = {
        {"bad-checksum", ETransferResult::CommFailure},
        {"short-info", ETransferResult::NoDeviceAnswer},
        {"cannot-transfer", ETransferResult::CannotTransfer},
        {"no-series", ETransferResult::NoSeries},
        {"hangup", ETransferResult::CommFailure},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.faults);
        Start(c.faults);
        ASSERT_NO_FATAL_FAILURE(Connect());
        SPaperDownload out;
        const auto started = Clock::now();
        EXPECT_EQ(DownloadSeries(m_device, out), c.result);
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count(), 5000);
        if (std::string(c.faults) == "bad-checksum") {
            EXPECT_EQ(out.failure, ELinkFailure::Checksum);
        }
        if (std::string(c.faults) == "hangup") {
            // The reset ends the series early; the stream reconnects
            // transparently, but the rest of the answer never comes.
            EXPECT_TRUE(out.failure == ELinkFailure::HangUp || out.failure == ELinkFailure::Timeout)
                << static_cast<int>(out.failure);
        }
        TearDown();
    }
}

#endif // BRELMORA_HAVE_SIM
