// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/VeltranoDevice.h"

#include <algorithm>
#include <cstring>

#include "device/BlockFrame.h"
#include "device/VnCommands.h"

namespace Device {

namespace {
constexpr int kPaperTimeoutMs = 5000;
constexpr int kPaperTotalMs = 5000;
constexpr uint32_t kSmallBuffer = 100;
} // namespace

CVeltranoDevice::CVeltranoDevice()
{
    m_type = TYPE_VELTRANO;
    m_supportedPorts = PORT_SERIAL;
    m_familyCode = 7;
}

std::unique_ptr<CVnDevice> CVeltranoDevice::CreateNew() const
{
    return std::make_unique<CVeltranoDevice>();
}

bool CVeltranoDevice::PaperExchange(const uint8_t* request, int length, uint32_t bufferSize,
                                    std::vector<uint8_t>& buffer, uint32_t& count)
{
    count = 0;
    if (!IsReady())
        return false;
    buffer.assign(std::max<size_t>(bufferSize, static_cast<size_t>(length)), 0);
    std::memcpy(buffer.data(), request, static_cast<size_t>(length));
    return ReadDataBlock(BLOCK_PAPER, buffer.data(), length, count, bufferSize, kPaperTimeoutMs, kPaperTotalMs) ==
           RDB_OK;
}

void CVeltranoDevice::ParseStringList(const uint8_t* answer, uint32_t count, std::vector<std::u16string>& names)
{
    names.clear();
    if (answer == nullptr || count == 0)
        return;
    const uint32_t announced = answer[0];
    // Only entries that lie wholly inside the answer are read.
    for (uint32_t i = 0; i < announced; ++i) {
        const size_t offset = 1 + NAME_ENTRY_SIZE * static_cast<size_t>(i);
        if (offset + NAME_ENTRY_SIZE > count)
            break;
        std::u16string name;
        for (size_t k = 0; k < NAME_ENTRY_SIZE && answer[offset + k] != 0; ++k)
            name += static_cast<char16_t>(answer[offset + k]);
        names.push_back(std::move(name));
    }
}

bool CVeltranoDevice::ReadStringList(std::vector<std::u16string>& names)
{
    names.clear();
    const uint8_t request[1] = {PAPER_READ_NAMES};
    std::vector<uint8_t> buffer;
    uint32_t count = 0;
    if (!PaperExchange(request, 1, PAPER_BUFFER_SIZE, buffer, count) || count == 0)
        return false;
    ParseStringList(buffer.data(), count, names);
    return true;
}

std::array<uint8_t, ROLL_ID_BYTES> CVeltranoDevice::RollIdBytes(const std::u16string& text)
{
    std::array<uint8_t, ROLL_ID_BYTES> bytes{};
    for (size_t i = 0; i < ROLL_ID_BYTES && i < text.size(); ++i)
        bytes[i] = static_cast<uint8_t>(text[i] & 0xFF);
    return bytes;
}

bool CVeltranoDevice::WriteNameSlot(uint8_t code, int slot, const std::u16string& text)
{
    uint8_t request[2 + ROLL_ID_BYTES];
    request[0] = code;
    request[1] = static_cast<uint8_t>(slot);
    const auto bytes = RollIdBytes(text);
    std::copy(bytes.begin(), bytes.end(), request + 2);
    std::vector<uint8_t> buffer;
    uint32_t count = 0;
    return PaperExchange(request, sizeof request, PAPER_BUFFER_SIZE, buffer, count);
}

bool CVeltranoDevice::WriteString(int slot, const std::u16string& text)
{
    return WriteNameSlot(PAPER_WRITE_NAME, slot, text);
}

bool CVeltranoDevice::WriteStringAlt(int slot, const std::u16string& text)
{
    return WriteNameSlot(PAPER_WRITE_NAME_ALT, slot, text);
}

bool CVeltranoDevice::WriteStringMask(uint64_t mask)
{
    uint8_t request[9];
    request[0] = PAPER_NAME_MASK;
    for (int i = 0; i < 8; ++i)
        request[1 + i] = static_cast<uint8_t>(mask >> (8 * i));
    std::vector<uint8_t> buffer;
    uint32_t count = 0;
    return PaperExchange(request, sizeof request, kSmallBuffer, buffer, count);
}

bool CVeltranoDevice::QueryOption88(bool& on)
{
    on = false;
    const uint8_t request[2] = {PAPER_OPTION, 0x03};
    std::vector<uint8_t> buffer;
    uint32_t count = 0;
    if (!PaperExchange(request, sizeof request, kSmallBuffer, buffer, count))
        return false;
    on = count > 0 && buffer[0] == 2;
    return true;
}

bool CVeltranoDevice::SetOption88(bool on)
{
    const uint8_t request[2] = {PAPER_OPTION, static_cast<uint8_t>(on ? 0x02 : 0x01)};
    std::vector<uint8_t> buffer;
    uint32_t count = 0;
    return PaperExchange(request, sizeof request, kSmallBuffer, buffer, count);
}

int CVeltranoDevice::ReadInfoBlock(std::vector<uint8_t>& block)
{
    block.clear();
    if (!IsReady())
        return WDB_FAILED;
    std::vector<uint8_t> buffer(PAPER_BUFFER_SIZE, 0);
    buffer[0] = PAPER_INFO_BLOCK;
    const int result = WriteDataBlock(BLOCK_PAPER, 1, buffer.data(), PAPER_BUFFER_SIZE, 2000);
    if (result > 0 && result < COUNT_FIRST_ERROR)
        block.assign(buffer.begin(), buffer.begin() + result);
    return result;
}

std::array<uint8_t, 7> CVeltranoDevice::BuildClockRequest(const std::tm* local)
{
    std::array<uint8_t, 7> request{};
    request[0] = PAPER_SET_CLOCK;
    if (local == nullptr) {
        request[1] = 48;
        request[2] = 0;
        request[3] = 0;
        request[4] = 255;
        request[5] = 255;
        request[6] = 255;
        return request;
    }
    // Calendar year + 48, low byte: year - 2000 for 2000..2207.
    request[1] = static_cast<uint8_t>((local->tm_year + 1900 + 48) & 0xFF);
    request[2] = static_cast<uint8_t>(local->tm_mon + 1);
    request[3] = static_cast<uint8_t>(local->tm_mday);
    request[4] = static_cast<uint8_t>(local->tm_hour);
    request[5] = static_cast<uint8_t>(local->tm_min);
    request[6] = static_cast<uint8_t>(local->tm_sec);
    return request;
}

int CVeltranoDevice::SetClock(const std::tm* local)
{
    if (!IsReady())
        return WDB_FAILED;
    const auto request = BuildClockRequest(local);
    uint8_t buffer[16] = {};
    std::copy(request.begin(), request.end(), buffer);
    return WriteDataBlock(BLOCK_PAPER, static_cast<int>(request.size()), buffer, sizeof buffer, 2000);
}

int CVeltranoDevice::SetClockToNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    const bool known = now != static_cast<std::time_t>(-1) && localtime_r(&now, &local) != nullptr;
    return SetClock(known ? &local : nullptr);
}

int CVeltranoDevice::ReadSeriesData(std::vector<uint8_t>& data, int totalMs)
{
    data.clear();
    if (!IsReady())
        return RDB_FAILED;
    const uint8_t request[1] = {PAPER_READ_SERIES};
    return m_commands->ReadAnnouncedBlock(BLOCK_PAPER, request, 1, data, 2000, totalMs);
}

bool CVeltranoDevice::DeleteAllSeries()
{
    if (!IsReady())
        return false;
    uint8_t buffer[16] = {PAPER_DELETE_ALL};
    return WriteDataBlock(BLOCK_PAPER, 1, buffer, sizeof buffer, 8000) == 1 && buffer[0] == 1;
}

} // namespace Device
