// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator on a real pseudo-terminal (and once on TCP loopback), driven
// with raw bytes written by the test.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

#include "sim/Checksums.h"
#include "sim/SeriesGenerator.h"
#include "sim/TcpSimulator.h"
#include "sim/VeltranoSimulator.h"
#include "RawLine.h"

namespace {

using namespace Sim;
using SimTest::CRawLine;
using SimTest::SBlockAnswer;

std::vector<uint8_t> NameRequest(uint8_t code, uint8_t slot, const std::string& text)
{
    std::vector<uint8_t> d{code, slot};
    for (size_t i = 0; i < 12; ++i)
        d.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    return d;
}

class SimLine : public ::testing::Test {
protected:
    void Start(SFaults faults = {}, size_t series = 12, uint32_t baud = 0)
    {
        SSimContent content;
        content.series = GenerateSeries(series, 3);
        content.names = {"PM1 NP 001"};
        StartWith(content, faults, baud);
    }

    void StartWith(const SSimContent& content, SFaults faults, uint32_t baud)
    {
        m_instrument = std::make_shared<CInstrument>(content, faults, 3);
        SLineOptions options;
        options.baud = baud;
        std::string error;
        if (m_overTcp) {
            // Any loopback address, not only 127.0.0.1.
            m_tcp = std::make_unique<CTcpSimulator>(m_instrument, options);
            ASSERT_TRUE(m_tcp->Start(kTcpAddress, 0, error)) << error;
            ASSERT_TRUE(m_line.ConnectTcp(m_tcp->GetPort(), kTcpAddress));
            return;
        }
        m_sim = std::make_unique<CVeltranoSimulator>(m_instrument, options);
        const std::string path = m_sim->ServePty(&error);
        ASSERT_FALSE(path.empty()) << error;
        ASSERT_TRUE(m_line.OpenSerial(path));
    }

    void TearDown() override
    {
        if (m_sim)
            m_sim->Stop();
        if (m_tcp)
            m_tcp->Stop();
    }

    void ExpectEveryFault();
    void ExpectHangUpInSeries();

    static constexpr const char* kTcpAddress = "127.0.0.3";
    bool m_overTcp = false;
    std::unique_ptr<CTcpSimulator> m_tcp;

    std::shared_ptr<CInstrument> m_instrument;
    std::unique_ptr<CVeltranoSimulator> m_sim;
    CRawLine m_line;
};

TEST_F(SimLine, DleHandshakeAndIdentification)
{
    Start();
    ASSERT_TRUE(m_line.Write({0x10}));
    EXPECT_EQ(m_line.Read(1, 2000), std::vector<uint8_t>{DLE_REPLY});
    ASSERT_TRUE(m_line.Write({'@', 'I', 'D', '@', 0x0D}));
    std::string line;
    for (std::vector<uint8_t> b; (b = m_line.Read(1, 2000)).size() == 1 && (line += char(b[0]), b[0] != '\r');) {
    }
    EXPECT_EQ(line, "Veltrano;C;VT-20417;0702A41C;2.14.0.3;1.3.0.0\r");

    // Echo switched on: the command comes back before the answer, ended by CR LF.
    EXPECT_EQ(m_line.Text("EC1"), "OK\r");
    EXPECT_EQ(m_line.Text("EC?", true), "EC? 1\r\n");
    EXPECT_EQ(m_line.Text("ID", true), "ID Veltrano;2.14.0.3;VT-20417\r\n");
    EXPECT_EQ(m_line.Text("NOPE", true), "NOPE ?\r\n");
}

TEST_F(SimLine, DownloadCarriesValidCrc32AndDeleteEmptiesIt)
{
    Start();
    const SBlockAnswer info = m_line.Block(BLOCK_PAPER, {REQ_INFO_BLOCK});
    EXPECT_EQ(info.count, 128);
    EXPECT_TRUE(info.complete);

    const SBlockAnswer series = m_line.Block(BLOCK_PAPER, {REQ_SERIES});
    ASSERT_EQ(series.count, 0xEF);
    ASSERT_TRUE(series.complete);
    EXPECT_EQ(series.checksumKind, 4);
    EXPECT_TRUE(series.checksumOk);
    EXPECT_EQ(series.data, BuildSeriesBytes(GenerateSeries(12, 3)));

    const SBlockAnswer del = m_line.Block(BLOCK_PAPER, {REQ_DELETE_ALL}, 8000);
    EXPECT_EQ(del.count, 1);
    EXPECT_EQ(del.data, std::vector<uint8_t>{1});
    EXPECT_EQ(m_line.Block(BLOCK_PAPER, {REQ_SERIES}).count, 0);
}

TEST_F(SimLine, NamesWrittenAreReadBackAndOptionStays)
{
    Start();
    EXPECT_EQ(m_line.Block(BLOCK_PAPER, NameRequest(REQ_WRITE_NAME, 1, "PM2 SC 17")).count, 0);
    EXPECT_EQ(m_line.Block(BLOCK_PAPER, NameRequest(REQ_INSERT_NAME, 0, "<empty>")).count, 0);
    const SBlockAnswer list = m_line.Block(BLOCK_PAPER, {REQ_READ_NAMES});
    ASSERT_EQ(list.count, 1 + 3 * 13);
    EXPECT_EQ(list.data[0], 3);
    EXPECT_STREQ(reinterpret_cast<const char*>(&list.data[1]), "<empty>");
    EXPECT_STREQ(reinterpret_cast<const char*>(&list.data[1 + 13]), "PM1 NP 001");
    EXPECT_STREQ(reinterpret_cast<const char*>(&list.data[1 + 26]), "PM2 SC 17");

    EXPECT_EQ(m_line.Block(BLOCK_PAPER, {REQ_OPTION, 0x02}).count, 0);
    EXPECT_EQ(m_line.Block(BLOCK_PAPER, {REQ_OPTION, 0x03}).data, std::vector<uint8_t>{2});

    // Resync answers with the bare byte 0xF0.
    ASSERT_TRUE(m_line.Write({0xC8, 0xF6, 0x00, 0x05, 0x55, 0x5A, 0xAA, 0xAF, 0xFF, 0xF0}));
    EXPECT_EQ(m_line.Read(1, 2000), std::vector<uint8_t>{RESYNC_ANSWER});
}

// The same faults over TCP as over the pseudo-terminal.
class SimLineTcp : public SimLine {
protected:
    SimLineTcp() { m_overTcp = true; }
};

TEST_F(SimLine, EveryFaultIsObservableOnTheLine)
{
    ExpectEveryFault();
}

TEST_F(SimLineTcp, EveryFaultIsObservableOnTheConnection)
{
    ExpectEveryFault();
}

void SimLine::ExpectEveryFault()
{
    SFaults f;
    f.badChecksum = true;
    Start(f);
    SBlockAnswer a = m_line.Block(BLOCK_PAPER, {REQ_SERIES});
    EXPECT_TRUE(a.complete);
    EXPECT_FALSE(a.checksumOk);

    f = SFaults{};
    f.shortInfo = true;
    m_instrument->SetFaults(f);
    EXPECT_EQ(m_line.Block(BLOCK_PAPER, {REQ_INFO_BLOCK}).data.size(), 127u);

    f = SFaults{};
    f.cannotTransfer = true;
    m_instrument->SetFaults(f);
    a = m_line.Block(BLOCK_PAPER, {REQ_SERIES});
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(a.data, std::vector<uint8_t>{1});

    f = SFaults{};
    f.noSeries = true;
    m_instrument->SetFaults(f);
    EXPECT_EQ(m_line.Block(BLOCK_PAPER, {REQ_SERIES}).count, 0);

    f = SFaults{};
    f.garbageBytes = 6;
    m_instrument->SetFaults(f);
    ASSERT_TRUE(m_line.Write({0xC0, BLOCK_HWID}));
    const std::vector<uint8_t> raw = m_line.Read(100, 500);
    ASSERT_EQ(raw.size(), 6u + 5u);
    EXPECT_EQ(std::vector<uint8_t>(raw.begin() + 6, raw.end()),
              (std::vector<uint8_t>{4, 0x21, 0x0C, 0x04, 0x00}));

    f = SFaults{};
    f.largeSeries = true;
    m_instrument->SetFaults(f);
    a = m_line.Block(BLOCK_PAPER, {REQ_SERIES}, 5000);
    EXPECT_TRUE(a.checksumOk);
    EXPECT_GT(a.data.size(), 65536u);

    f = SFaults{};
    f.silenceAfter = 1;
    m_instrument->SetFaults(f);
    EXPECT_EQ(m_line.Block(BLOCK_HWID, {}).count, 4);
    EXPECT_EQ(m_line.Block(BLOCK_HWID, {}, 300).count, -1);
    EXPECT_EQ(m_line.Text("@ID@", false, 300), "");
}

TEST_F(SimLine, HangUpClosesTheLineInTheMiddleOfTheSeries)
{
    ExpectHangUpInSeries();
}

TEST_F(SimLineTcp, HangUpResetsTheConnectionInTheMiddleOfTheSeries)
{
    ExpectHangUpInSeries();
}

void SimLine::ExpectHangUpInSeries()
{
    SFaults f;
    f.hangUpInSeries = true;
    Start(f, 40);
    // The program may be slow to read: what went out before the hang-up still
    // reaches it.
    ASSERT_TRUE(m_line.Write({0xC1, BLOCK_PAPER, REQ_SERIES}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const SBlockAnswer a = m_line.ReadAnswer(1000);
    EXPECT_EQ(a.count, 0xEF);
    EXPECT_FALSE(a.complete);
    EXPECT_GT(a.data.size(), 0u);
    EXPECT_LT(a.data.size(), BuildSeriesBytes(GenerateSeries(40, 3)).size());
    int end = -1;
    EXPECT_TRUE(m_line.WaitForHangUp(2000, &end));
    if (m_overTcp) {
        EXPECT_EQ(end, ECONNRESET);
        // The next connection is served with the same instrument.
        CRawLine again;
        ASSERT_TRUE(again.ConnectTcp(m_tcp->GetPort(), kTcpAddress));
        EXPECT_EQ(again.Block(BLOCK_HWID, {}).count, 4);
        return;
    }
    ASSERT_TRUE(m_sim->WaitForEnd(2000));
    EXPECT_EQ(m_sim->GetEndReason(), EEndReason::HungUp);

    // A fresh line can be served afterwards with the same instrument.
    std::string error;
    const std::string path = m_sim->ServePty(&error);
    ASSERT_FALSE(path.empty()) << error;
    CRawLine again;
    ASSERT_TRUE(again.OpenSerial(path));
    EXPECT_EQ(again.Block(BLOCK_HWID, {}).count, 4);
}

TEST_F(SimLine, LineRateBoundsTheTransferTimeFromBelow)
{
    // 3,000 bytes of series at 9,600 baud (960 bytes per second) need at
    // least 3.1 s; the answer is taken in full and intact.
    SSimContent content;
    std::vector<SSimSeries>& s = content.series;
    s = GenerateSeries(1, 1);
    while (BuildSeriesBytes(s).size() < 3000)
        s.push_back(s.front());
    const size_t bytes = BuildSeriesBytes(s).size();
    StartWith(content, {}, 9600);

    const auto start = std::chrono::steady_clock::now();
    const SBlockAnswer a = m_line.Block(BLOCK_PAPER, {REQ_SERIES}, 20000);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(a.complete);
    EXPECT_TRUE(a.checksumOk);
    EXPECT_GE(seconds, (bytes + 9) / 960.0 - 0.01);
}

TEST_F(SimLine, StopEndsAPacedAnswerAtOnce)
{
    Start({}, 200, 1200);   // about 30 s of data at 120 bytes per second
    ASSERT_TRUE(m_line.Write({0xC1, BLOCK_PAPER, REQ_SERIES}));
    EXPECT_EQ(m_line.Read(1, 2000).size(), 1u);
    const auto start = std::chrono::steady_clock::now();
    m_sim->Stop();
    EXPECT_FALSE(m_sim->IsRunning());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(SimTcp, ServesOverLoopbackOneConnectionAfterAnother)
{
    SSimContent content;
    content.series = GenerateSeries(5, 8);
    auto instrument = std::make_shared<CInstrument>(content);
    CTcpSimulator tcp(instrument);
    std::string error;
    ASSERT_TRUE(tcp.Start("127.0.0.1", 0, error)) << error;
    ASSERT_NE(tcp.GetPort(), 0);
    {
        CRawLine line;
        ASSERT_TRUE(line.ConnectTcp(tcp.GetPort()));
        EXPECT_EQ(line.Text("ID"), "Veltrano;2.14.0.3;VT-20417\r");
        const SBlockAnswer a = line.Block(BLOCK_PAPER, {REQ_SERIES});
        EXPECT_TRUE(a.checksumOk);
        EXPECT_EQ(a.data, BuildSeriesBytes(content.series));
        EXPECT_EQ(line.Block(BLOCK_PAPER, {REQ_DELETE_ALL}).data, std::vector<uint8_t>{1});
    }
    // The next connection sees the state the first one left.
    CRawLine second;
    ASSERT_TRUE(second.ConnectTcp(tcp.GetPort()));
    EXPECT_EQ(second.Block(BLOCK_PAPER, {REQ_SERIES}).count, 0);
    tcp.Stop();
}

} // namespace
