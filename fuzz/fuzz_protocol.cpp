// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: random instrument answers into the block and text layers and
// into the Veltrano exchanges.
//
// Input layout: byte 0 selects options; when bit 0 is set, bytes 1..3 give a
// checksum kind and a payload length, and that payload is sent first as a
// well-formed extended answer (correct checksum), so the fuzzer also reaches
// the code behind the checksum test.  Everything else is served as the line's
// raw input to a fixed sequence of exchanges.  With bit 4 set the line is
// slow: each read hands out a few bytes only, after a short pause (at most
// 30 ms of pauses per input, so the target stays fast), which drives the
// read loops through partial reads and their time and rate checks.
//
// A series answer that comes through may be anything; what the command line
// would save of it is checked: it saves series data only when they parse
// whole (every record complete, no bytes over), walked here on their own.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "connection/PaperConnection.h"
#include "data/PaperDoc.h"
#include "device/BlockFrame.h"
#include "device/Contents.h"
#include "device/PaperTransfer.h"
#include "device/VeltranoDevice.h"
#include "device/VnCommands.h"
#include "streamio/IoStream.h"

namespace {

// An in-memory line: reads hand out the fuzz input, writes vanish.
class CFuzzStream : public StreamIO::CIoStream {
public:
    explicit CFuzzStream(std::vector<uint8_t> input, bool slow = false) : m_input(std::move(input)), m_slow(slow)
    {
        m_name = u"FUZZ";
    }

    bool Open(const std::u16string&, uint32_t) override { return true; }
    void Close() override { m_open = false; }
    bool Reopen() override
    {
        m_open = true;
        return true;
    }
    bool IsOpen() override { return m_open; }
    bool SetTimeouts(int, int) override { return true; }
    uint32_t Read(void* buffer, uint32_t count) override
    {
        if (m_slow && m_pauseBudgetUs > 0 && m_pos < m_input.size()) {
            // The byte at the read position picks the chunk and the pause.
            const uint8_t pick = m_input[m_pos];
            count = std::min<uint32_t>(count, 1u + pick % 7u);
            const int pauseUs = std::min(m_pauseBudgetUs, 100 * (pick >> 4));
            m_pauseBudgetUs -= pauseUs;
            std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
        }
        const size_t n = std::min<size_t>(count, m_input.size() - m_pos);
        if (n > 0)
            std::memcpy(buffer, m_input.data() + m_pos, n);
        m_pos += n;
        m_error = n < count ? 38 : 0;
        return static_cast<uint32_t>(n);
    }
    uint32_t Write(const void*, uint32_t count) override { return count; }

private:
    std::vector<uint8_t> m_input;
    size_t m_pos = 0;
    bool m_open = true;
    bool m_slow = false;
    int m_pauseBudgetUs = 15000;   // per stream; two streams per input
};

std::vector<uint8_t> BuildLine(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> line;
    if (size == 0)
        return line;
    const uint8_t options = data[0];
    size_t pos = 1;
    if ((options & 1) && size >= 4) {
        const uint8_t kind = data[1];
        const size_t want = static_cast<size_t>(data[2]) | (static_cast<size_t>(data[3]) << 8);
        pos = 4;
        const size_t n = std::min(want, size - pos);
        line = Device::BuildAnswerFrame(data + pos, n, kind, (options & 2) != 0);
        pos += n;
    }
    line.insert(line.end(), data + pos, data + size);
    return line;
}

void RunCommands(const std::vector<uint8_t>& line, uint8_t options)
{
    CFuzzStream stream(line, (options & 0x10) != 0);
    Device::CVnCommands commands(&stream);
    commands.InitEcho((options & 4) != 0, false);

    std::vector<uint8_t> buffer(300);
    uint32_t count = 0;
    const uint32_t sizes[3] = {1, 128, 300};
    for (uint32_t size : sizes) {
        buffer[0] = 0x10;
        commands.ReadDataBlock(0xD2, buffer.data(), 1, count, size, 2000, 60000);
    }
    std::vector<uint8_t> answer;
    const uint8_t request[1] = {0x10};
    commands.ReadAnnouncedBlock(0xD2, request, 1, answer, 2000, 60000);
    buffer[0] = 0x30;
    commands.WriteDataBlock(0xD2, 1, buffer.data(), 16);
    commands.WriteDataBlock(0xD2, 1, buffer.data(), static_cast<uint32_t>(buffer.size()));
    commands.WriteLongBlock(0xD2, 60, buffer.data());
    commands.GetHardwareId();
    commands.SetRemoteMode(true, 5000);
    commands.TextCommand("@ID@", 2000);
    commands.TextCommand("", 2000);
    char text[64];
    commands.ReadLine(text, sizeof text);
    commands.InitEcho((options & 8) != 0, true);
    std::string listing;
    commands.ListDirectory(1, listing);
    std::vector<uint8_t> file;
    commands.LoadFile(u"A:\\x", file);
    std::vector<uint8_t> packet;
    commands.ReadPacketInfo(packet);
}

// The instrument's series records: a 27-byte head (roll ID 16, counter 2,
// time 4, impact count 1, two limits, 2 more) and 4 bytes per impact.
bool IsWholeSeriesStream(const std::vector<uint8_t>& bytes)
{
    constexpr size_t kHead = 27, kCountAt = 22, kImpact = 4;
    size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < kHead)
            return false;
        pos += kHead + kImpact * bytes[pos + kCountAt];
    }
    return pos == bytes.size();
}

// The command line's decision on the series that came through.
void CheckSavedSeries(const Device::SPaperDownload& download)
{
    if (download.result != Device::ETransferResult::Ok)
        return;
    CPaperDoc doc;
    SDownloadReport report;
    report.result = EDownloadResult::Ok;
    report.parsedWhole = doc.StoreDownloadedSeries(download.series.data(), download.series.size());
    const EDownloadVerdict verdict = JudgeDownload(report, doc.GetCurrent().GetCount(), false);
    if (verdict == EDownloadVerdict::SaveDamaged ||
        (verdict == EDownloadVerdict::Save && !IsWholeSeriesStream(download.series)))
        __builtin_trap();
}

void RunDevice(const std::vector<uint8_t>& line, uint8_t options)
{
    std::unique_ptr<StreamIO::CIoStream> owned = std::make_unique<CFuzzStream>(line, (options & 0x10) != 0);
    auto device = std::make_unique<Device::CVeltranoDevice>();
    if (!device->Attach(owned, Device::PORT_SERIAL))
        return;
    Device::SDeviceInfo info;
    device->Identify(info);
    device->IdentifyShort(info);
    device->GetInfoText();
    Device::CContents contents;
    device->GetVersionList(contents);
    std::vector<std::u16string> names;
    device->ReadStringList(names);
    bool on = false;
    device->QueryOption88(on);
    Device::SPaperDownload download;
    Device::DownloadSeries(device, download);
    Device::DescribeDownload(download);
    CheckSavedSeries(download);
    if (device)
        Device::CheckAlive(device);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> line = BuildLine(data, size);
    const uint8_t options = size > 0 ? data[0] : 0;
    RunCommands(line, options);
    RunDevice(line, options);
    return 0;
}
