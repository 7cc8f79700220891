// SPDX-License-Identifier: GPL-3.0-or-later
// JobSearch and JobReconnect against simulated instruments on pseudo-
// terminals that the registry's port map puts behind their COM numbers.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <set>

#include "DeviceTestSupport.h"
#include "device/DeviceThread.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/ComPorts.h"
#include "platform/Text.h"
#include "sim/VeltranoSimulator.h"
#include "streamio/serial/Rs232Stream.h"

using namespace Device;

namespace {

// Ports with an instrument are served by a simulated Veltrano with the given
// serial number; every other port maps to a path that does not exist, so it
// fails to open.  The search names each port ("Serial COM<n>:") just before
// it opens it: that is when the port is mapped and recorded as opened.
struct SFakePorts {
    std::map<uint32_t, std::string> instruments;
    std::vector<uint32_t> opened;
    std::map<uint32_t, std::unique_ptr<Sim::CVeltranoSimulator>> served;

    ~SFakePorts()
    {
        for (auto& [port, sim] : served) {
            sim->Stop();
            MapMissing(port);
        }
    }

    static void MapMissing(uint32_t port)
    {
        Platform::SetComPortDevicePath(static_cast<int>(port),
                                       "/nonexistent/brelmora-test/COM" + std::to_string(port));
    }

    void Announce(uint32_t port)
    {
        opened.push_back(port);
        const auto wanted = instruments.find(port);
        const auto running = served.find(port);
        if (running != served.end()) {
            if (wanted != instruments.end() &&
                running->second->Instrument().GetContent().identity.serialNumber == wanted->second)
                return;
            running->second->Stop();
            served.erase(running);
            MapMissing(port);
        }
        if (wanted == instruments.end())
            return;
        Sim::SSimContent content;
        content.identity.serialNumber = wanted->second;
        auto sim = std::make_unique<Sim::CVeltranoSimulator>(std::make_shared<Sim::CInstrument>(content));
        std::string error;
        const std::string path = sim->ServePty(&error);
        ASSERT_FALSE(path.empty()) << error;
        ASSERT_EQ(Platform::SetComPortDevicePath(static_cast<int>(port), path), 0u);
        served[port] = std::move(sim);
    }
};

class CAnnouncingCallback : public CRecordingCallback {
public:
    explicit CAnnouncingCallback(SFakePorts& ports) : m_ports(ports) {}

    void OnStatusText(const std::u16string& text) override
    {
        CRecordingCallback::OnStatusText(text);
        unsigned port = 0;
        char colon = 0;
        if (std::sscanf(Platform::ToUtf8(text).c_str(), "Serial COM%u%c", &port, &colon) == 2 && colon == ':')
            m_ports.Announce(port);
    }

private:
    SFakePorts& m_ports;
};

struct SearchFixture : ::testing::Test {
    SFakePorts ports;
    CAnnouncingCallback callback{ports};
    SSearchParams params;

    void SetUp() override
    {
        ClearAbort();
        params.deviceType = TYPE_VELTRANO;
        params.portKind = PORT_SERIAL;
    }
    void TearDown() override
    {
        // Every instrument was opened with the Veltrano's line settings.
        for (const auto& device : callback.found) {
            auto* serial = dynamic_cast<StreamIO::CRs232Stream*>(device->GetStream());
            ASSERT_NE(serial, nullptr);
            const StreamIO::SerialSettings& settings = serial->Settings();
            EXPECT_EQ(settings.baudRate, 38400u);
        }
        callback.found.clear();
        ClearAbort();
    }
    bool HasStatus(const std::u16string& text) const
    {
        return std::find(callback.status.begin(), callback.status.end(), text) != callback.status.end();
    }
};

} // namespace

using JobSearchTest = SearchFixture;

TEST_F(JobSearchTest, ScanSkipsThePortToSkip)
{
    params.scanAllComPorts = true;
    params.skipComPort = 3;
    JobSearch(callback, params);
    EXPECT_EQ(ports.opened.size(), 255u);
    EXPECT_EQ(std::count(ports.opened.begin(), ports.opened.end(), 3u), 0);
    EXPECT_EQ(ports.opened.front(), 1u);
    EXPECT_EQ(ports.opened.back(), 256u);
    EXPECT_TRUE(HasStatus(u"Serial COM1:"));
    EXPECT_TRUE(HasStatus(u"could not open port."));
    EXPECT_FALSE(HasStatus(u"Serial COM3:"));
    EXPECT_TRUE(callback.found.empty());
    EXPECT_EQ(callback.ends, 1);
}

TEST_F(JobSearchTest, StopAtFirstFound)
{
    ports.instruments = {{4, "AAA"}, {9, "BBB"}};
    params.scanAllComPorts = true;
    params.stopAtFirstFound = true;
    JobSearch(callback, params);
    EXPECT_EQ(ports.opened, (std::vector<uint32_t>{1, 2, 3, 4}));
    ASSERT_EQ(callback.found.size(), 1u);
    EXPECT_EQ(callback.found[0]->GetSerialNumber(), u"AAA");
    EXPECT_TRUE(HasStatus(u" Veltrano   Serial: AAA"));
    EXPECT_EQ(callback.ends, 1);
}

TEST_F(JobSearchTest, FullScanHandsOverEveryInstrument)
{
    ports.instruments = {{4, "AAA"}, {5, "BBB"}, {256, "ZZZ"}};
    params.scanAllComPorts = true;
    JobSearch(callback, params);
    ASSERT_EQ(callback.found.size(), 3u);
    EXPECT_NE(callback.found[0].get(), callback.found[1].get());
    EXPECT_EQ(callback.found[1]->GetSerialNumber(), u"BBB");
    EXPECT_EQ(callback.found[2]->GetSerialNumber(), u"ZZZ");
    EXPECT_NE(callback.found[2]->GetStream(), nullptr);
}

TEST_F(JobSearchTest, OnePortOnly)
{
    ports.instruments = {{7, "AAA"}};
    params.comPort = 7;
    JobSearch(callback, params);
    EXPECT_EQ(ports.opened, (std::vector<uint32_t>{7}));
    EXPECT_EQ(callback.found.size(), 1u);

    // A port whose instrument is of another family.
    ports.opened.clear();
    callback.found.clear();
    params.deviceType = TYPE_ARGENTOR;
    JobSearch(callback, params);
    EXPECT_TRUE(callback.found.empty());
    EXPECT_TRUE(HasStatus(u"No device of the required type found."));
}

TEST_F(JobSearchTest, OtherPortKinds)
{
    params.portKind = PORT_USB;
    JobSearch(callback, params);
    EXPECT_TRUE(HasStatus(u"USB"));
    EXPECT_EQ(callback.ends, 1);
    params.portKind = PORT_ETHERNET;
    params.ipAddress = u"192.168.1.20";
    JobSearch(callback, params);
    EXPECT_TRUE(HasStatus(u"Ethernet 192.168.1.20"));
    EXPECT_EQ(callback.ends, 2);
    params.portKind = 3;
    const size_t lines = callback.status.size();
    JobSearch(callback, params);
    EXPECT_EQ(callback.status.size(), lines);   // nothing tried
    EXPECT_EQ(callback.ends, 3);
    EXPECT_TRUE(ports.opened.empty());
}

TEST_F(JobSearchTest, AbortEndsAfterTheCurrentPortWithoutEndReport)
{
    ports.instruments = {{2, "AAA"}};
    params.scanAllComPorts = true;
    AbortJobs(0);
    JobSearch(callback, params);
    EXPECT_EQ(ports.opened.size(), 1u);
    EXPECT_EQ(callback.ends, 0);
}

TEST_F(JobSearchTest, ReconnectWaitsForTheSerialNumber)
{
    ports.instruments = {{1, "OTHER"}};
    params.comPort = 1;
    params.serialNumber = u"WANTED";
    params.reconnectTimeoutMs = 300;
    const auto started = std::chrono::steady_clock::now();
    JobReconnect(callback, params);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    EXPECT_GE(ms.count(), 250);
    EXPECT_LT(ms.count(), 2000);
    EXPECT_TRUE(callback.found.empty());
    EXPECT_TRUE(HasStatus(u"Await device answer for reconnection..."));
    EXPECT_EQ(callback.ends, 1);

    ports.instruments = {{1, "WANTED"}};
    JobReconnect(callback, params);
    ASSERT_EQ(callback.found.size(), 1u);
    EXPECT_EQ(callback.found[0]->GetSerialNumber(), u"WANTED");
}

TEST(JobSearchRealPorts, ScanOfAbsentPortsReportsEveryPort)
{
    // The test registry maps every COM number to a missing device file.
    ClearAbort();
    CRecordingCallback callback;
    SSearchParams params;
    params.deviceType = TYPE_VELTRANO;
    params.portKind = PORT_SERIAL;
    params.scanAllComPorts = true;
    JobSearch(callback, params);
    EXPECT_EQ(callback.ends, 1);
    EXPECT_EQ(std::count(callback.status.begin(), callback.status.end(), u"could not open port."), 256);
}
