// SPDX-License-Identifier: GPL-3.0-or-later
// CVeltranoDevice: the paper-roll impact tester (type 4, "Veltrano").  On top
// of the Kastel class it adds the data exchanges on block 0xD2 (BLOCK_PAPER):
// the series-name list, one instrument option, the information block, the
// clock, the series download and the deletion of all series.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "device/KastelDevice.h"

namespace Device {

constexpr size_t INFO_BLOCK_SIZE = 128;
constexpr size_t ROLL_ID_BYTES = 12;
constexpr size_t NAME_ENTRY_SIZE = 13;
constexpr uint32_t PAPER_BUFFER_SIZE = 65536;

// Request codes of block 0xD2.
enum : uint8_t {
    PAPER_READ_NAMES = 0x00,
    PAPER_WRITE_NAME = 0x01,
    PAPER_WRITE_NAME_ALT = 0x02,
    PAPER_NAME_MASK = 0x03,
    PAPER_SET_CLOCK = 0x06,
    PAPER_READ_SERIES = 0x10,
    PAPER_DELETE_ALL = 0x11,
    PAPER_INFO_BLOCK = 0x30,
    PAPER_OPTION = 0x88,
};

class CVeltranoDevice : public CKastelDevice {
public:
    CVeltranoDevice();

    std::unique_ptr<CVnDevice> CreateNew() const override;

    // The instrument's list of roll-ID strings.
    bool ReadStringList(std::vector<std::u16string>& names);
    bool WriteString(int slot, const std::u16string& text);
    bool WriteStringAlt(int slot, const std::u16string& text);
    bool WriteStringMask(uint64_t mask);
    // Instrument option 0x88 ("Store invalid measurements as zero").
    bool QueryOption88(bool& on);
    bool SetOption88(bool on);

    // Exchange 1: the 128-byte information block.  Returns the result of the
    // write exchange (128 when the whole block came); `block` holds what came.
    int ReadInfoBlock(std::vector<uint8_t>& block);
    // Exchange 2: sets the instrument's clock to `local` (null: the time
    // could not be obtained).  Returns the write exchange's result.
    int SetClock(const std::tm* local);
    // Exchange 2 with the computer's local time.
    int SetClockToNow();
    // Exchange 3: every stored series.  The buffer is sized to the length the
    // instrument announces.  Returns an RDB_* result; `data` holds the series
    // bytes (without checksum).
    int ReadSeriesData(std::vector<uint8_t>& data, int totalMs = 60000);
    // Deletes every series: true when the instrument confirmed.
    bool DeleteAllSeries();

    // The seven request bytes of the clock exchange.
    static std::array<uint8_t, 7> BuildClockRequest(const std::tm* local);
    // The 12 text bytes of a roll ID: low bytes of the first 12 characters,
    // zero-filled.
    static std::array<uint8_t, ROLL_ID_BYTES> RollIdBytes(const std::u16string& text);
    // Reads a name-list answer of `count` bytes.
    static void ParseStringList(const uint8_t* answer, uint32_t count, std::vector<std::u16string>& names);

private:
    bool PaperExchange(const uint8_t* request, int length, uint32_t bufferSize, std::vector<uint8_t>& buffer,
                       uint32_t& count);
    bool WriteNameSlot(uint8_t code, int slot, const std::u16string& text);
};

} // namespace Device
