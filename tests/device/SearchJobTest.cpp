// JobSearch and JobReconnect with scripted instruments behind fake ports.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>

#include "DeviceTestSupport.h"
#include "device/DeviceThread.h"
#include "device/SearchJobs.h"
#include "device/VeltranoDevice.h"
#include "platform/FileException.h"

using namespace Device;

namespace {

// Ports with an instrument answer "@ID@" with the given serial number; every
// other port fails to open.
struct SFakePorts {
    std::map<uint32_t, std::string> instruments;
    std::vector<uint32_t> opened;

    SerialPortOpener Opener()
    {
        return [this](uint32_t port, const StreamIO::SerialSettings& settings) -> std::unique_ptr<StreamIO::CIoStream> {
            opened.push_back(port);
            EXPECT_EQ(settings.baudRate, 38400u);
            auto it = instruments.find(port);
            if (it == instruments.end())
                Platform::ThrowFileException(2, u"\\\\.\\COM");
            auto stream = std::make_unique<CScriptStream>();
            stream->Reply(std::vector<uint8_t>{0x06});
            stream->Reply("Veltrano;B2;" + it->second + ";07000001;1.8.1;1.2\r");
            return stream;
        };
    }
};

struct SearchFixture : ::testing::Test {
    SFakePorts ports;
    CRecordingCallback callback;
    SSearchParams params;

    void SetUp() override
    {
        ClearAbort();
        SetSerialPortOpener(ports.Opener());
        params.deviceType = TYPE_VELTRANO;
        params.portKind = PORT_SERIAL;
    }
    void TearDown() override
    {
        SetSerialPortOpener(nullptr);
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
