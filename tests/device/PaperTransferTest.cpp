// SPDX-License-Identifier: GPL-3.0-or-later
// The download, delete, keep-alive and disconnect exchanges shared by the
// desktop program and the command line, against a scripted instrument.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "device/BlockFrame.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"

using namespace Device;

namespace {

struct TransferFixture : ::testing::Test {
    std::unique_ptr<CVeltranoDevice> device = std::make_unique<CVeltranoDevice>();
    CScriptStream* stream = nullptr;

    void SetUp() override
    {
        device = std::make_unique<CVeltranoDevice>();
        auto script = std::make_unique<CScriptStream>();
        stream = script.get();
        std::unique_ptr<StreamIO::CIoStream> owned = std::move(script);
        ASSERT_TRUE(device->Attach(owned, PORT_SERIAL));
    }
    void InfoAndClock(size_t infoLength = 128)
    {
        std::vector<uint8_t> info(infoLength, 0x42);
        stream->Reply(BuildAnswerFrame(info.data(), info.size()));
        stream->Reply(std::vector<uint8_t>{0});
    }
    void Series(const std::vector<uint8_t>& data, uint8_t kind = CHECKSUM_CRC32)
    {
        stream->Reply(data.empty() ? std::vector<uint8_t>{0} : BuildAnswerFrame(data.data(), data.size(), kind));
    }
};

std::vector<uint8_t> Bytes(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i % 251);
    return v;
}

} // namespace

using DownloadTest = TransferFixture;

TEST_F(DownloadTest, InfoBlockClockAndSeries)
{
    InfoAndClock();
    const auto data = Bytes(100000);   // more than the old 64 KiB buffer
    Series(data);
    CRecordingCallback progress;
    SPaperDownload out;
    EXPECT_EQ(DownloadSeries(device, out, &progress), ETransferResult::Ok);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(out.infoBlock.size(), 128u);
    EXPECT_EQ(out.series, data);
    EXPECT_FALSE(progress.progress.empty());
    EXPECT_EQ(device->GetCallback(), nullptr);   // handed back after the read
    ASSERT_EQ(stream->writes.size(), 3u);
    EXPECT_EQ(stream->writes[0], (std::vector<uint8_t>{0xC1, 0xD2, 0x30}));
    EXPECT_EQ(stream->writes[1].size(), 9u);
    EXPECT_EQ(stream->writes[1][2], 0x06);
    EXPECT_EQ(stream->writes[2], (std::vector<uint8_t>{0xC1, 0xD2, 0x10}));
    EXPECT_TRUE(DescribeDownload(out).empty());
}

TEST_F(DownloadTest, ShortInfoBlockEndsSilentlyAndStaysConnected)
{
    InfoAndClock(127);
    SPaperDownload out;
    EXPECT_EQ(DownloadSeries(device, out), ETransferResult::NoDeviceAnswer);
    EXPECT_NE(device, nullptr);
    EXPECT_EQ(stream->writes.size(), 1u);   // neither clock nor series
    EXPECT_TRUE(DescribeDownload(out).empty());
}

TEST_F(DownloadTest, NoSeries)
{
    InfoAndClock();
    Series({});
    SPaperDownload out;
    EXPECT_EQ(DownloadSeries(device, out), ETransferResult::NoSeries);
    EXPECT_NE(device, nullptr);
    EXPECT_EQ(DescribeDownload(out), u"There are no measurement series on this Veltrano!");
}

TEST_F(DownloadTest, CannotTransferDisconnects)
{
    InfoAndClock();
    stream->Reply(std::vector<uint8_t>{1, 1});
    SPaperDownload out;
    EXPECT_EQ(DownloadSeries(device, out), ETransferResult::CannotTransfer);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(DescribeDownload(out).rfind(u"This Veltrano does not support downloading data.\n", 0), 0u);
}

TEST_F(DownloadTest, CommunicationFailuresSayWhatFailed)
{
    InfoAndClock();
    auto bad = BuildAnswerFrame(Bytes(500).data(), 500, CHECKSUM_CRC16);
    bad[20] ^= 4;
    stream->Reply(bad);
    SPaperDownload out;
    EXPECT_EQ(DownloadSeries(device, out), ETransferResult::CommFailure);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(out.failure, ELinkFailure::Checksum);
    EXPECT_TRUE(out.series.empty());
    EXPECT_EQ(DescribeDownload(out), u"The transfer failed: the data arrived with a wrong checksum.");

    // Hang-up halfway through the series data.
    SetUp();
    InfoAndClock();
    auto cut = BuildAnswerFrame(Bytes(5000).data(), 5000, CHECKSUM_CRC32);
    cut.resize(2500);
    stream->Reply(cut);
    EXPECT_EQ(DownloadSeries(device, out), ETransferResult::CommFailure);
    EXPECT_EQ(out.failure, ELinkFailure::HangUp);
    EXPECT_EQ(DescribeDownload(out), u"The transfer failed: the connection to the instrument was lost.");

    // The instrument refuses the request.
    SetUp();
    InfoAndClock();
    stream->Reply(std::vector<uint8_t>{0xF1});
    EXPECT_EQ(DownloadSeries(device, out), ETransferResult::CommFailure);
    EXPECT_EQ(out.instrumentError, 0xF1);
    EXPECT_EQ(DescribeDownload(out), u"The transfer failed: the instrument reported error 241.");
}

using KeepAliveTest = TransferFixture;

TEST_F(KeepAliveTest, CheckAliveAndDisconnect)
{
    stream->Reply(std::vector<uint8_t>{0x06});
    stream->Reply(std::string("Veltrano;B2;1;07000001;1.8.1;1.2\r"));
    EXPECT_TRUE(CheckAlive(device));
    ASSERT_NE(device, nullptr);

    // No answer: remote mode off is sent and the device is gone.
    stream->writes.clear();
    EXPECT_FALSE(CheckAlive(device));
    EXPECT_EQ(device, nullptr);
    EXPECT_FALSE(CheckAlive(device));

    SetUp();
    stream->Reply(std::vector<uint8_t>{1, 1});
    Disconnect(device);
    EXPECT_EQ(device, nullptr);
    Disconnect(device);   // nothing held: nothing happens
}

TEST_F(KeepAliveTest, DeleteAll)
{
    stream->Reply(std::vector<uint8_t>{1, 1});
    EXPECT_TRUE(DeleteAllSeries(*device));
    stream->Reply(std::vector<uint8_t>{0xF1});
    EXPECT_FALSE(DeleteAllSeries(*device));
}

namespace {

// Follows the bytes of the series read and cancels after `cancelAfter` bytes.
class CCancellingProgress : public CRecordingCallback {
public:
    explicit CCancellingProgress(uint32_t cancelAfter) : m_cancelAfter(cancelAfter) {}
    void OnTransferProgress(uint32_t received, uint32_t total) override
    {
        this->received.push_back(received);
        this->total = total;
    }
    bool IsCancelRequested() override { return !received.empty() && received.back() >= m_cancelAfter; }

    std::vector<uint32_t> received;
    uint32_t total = 0;

private:
    uint32_t m_cancelAfter;
};

} // namespace

TEST_F(DownloadTest, TheProgressReceiverSeesTheBytesAndMayCancel)
{
    InfoAndClock();
    const auto data = Bytes(100000);
    Series(data);
    CCancellingProgress follow(UINT32_MAX);
    SPaperDownload out;
    ASSERT_EQ(DownloadSeries(device, out, &follow), ETransferResult::Ok);
    ASSERT_GT(follow.received.size(), 50u);   // read in pieces, not in one go
    EXPECT_EQ(follow.received.back(), follow.total);
    EXPECT_EQ(follow.total, 100000u + 4u);   // data and CRC-32

    SetUp();
    InfoAndClock();
    Series(data);
    CCancellingProgress cancel(1);
    EXPECT_EQ(DownloadSeries(device, out, &cancel), ETransferResult::CommFailure);
    EXPECT_EQ(out.failure, ELinkFailure::Cancelled);
    EXPECT_EQ(cancel.received.back(), cancel.received.front());   // no byte read after the cancel
    EXPECT_EQ(device, nullptr);
    EXPECT_TRUE(out.series.empty());
}
