// SPDX-License-Identifier: GPL-3.0-or-later
// What the simulated instrument holds: its identity, the information block,
// the stored measurement series, the series-name list and the option state,
// and the byte layouts in which the instrument sends them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Sim {

// Layout of the 128-byte information block as this instrument fills it.
// The program reads the texts at 2, 34, 48, 62 and 64 up to the first NUL.
constexpr size_t INFO_BLOCK_SIZE = 128;
constexpr size_t INFO_OFS_VERSION = 0;     // 16-bit layout version (1)
constexpr size_t INFO_OFS_NAME = 2;        // instrument name, 32 bytes
constexpr size_t INFO_OFS_SERIAL = 34;     // serial number, 14 bytes
constexpr size_t INFO_OFS_APPVER = 48;     // application version, 14 bytes
constexpr size_t INFO_OFS_HWREV = 62;      // hardware revision, 2 bytes
constexpr size_t INFO_OFS_BOOTVER = 64;    // bootloader version, 16 bytes
constexpr size_t INFO_OFS_RESERVED = 80;   // zero up to the end

// One series on the wire: 27-byte head, then 4 bytes per impact.
constexpr size_t SERIES_HEAD_SIZE = 27;
constexpr size_t IMPACT_SIZE = 4;
constexpr size_t ROLL_ID_SIZE = 16;
constexpr size_t MAX_IMPACTS = 255;

// The largest data length a long answer can announce (24-bit).
constexpr size_t MAX_ANSWER_LENGTH = 0xFFFFFF;

// The instrument keeps up to 50 series names of 12 characters each; one list
// entry on the wire is 13 bytes (the text, zero-filled).
constexpr size_t NAME_SLOTS = 50;
constexpr size_t NAME_TEXT_SIZE = 12;
constexpr size_t NAME_ENTRY_SIZE = 13;

struct SSimImpact {
    uint8_t value = 0;      // half Q
    uint16_t energy = 0;    // thousandths
    uint8_t status = 0;
};

struct SSimSeries {
    std::string rollId;             // 8-bit characters, at most 16
    uint16_t counter = 0;
    uint32_t dateTime = 0;          // seconds since 2000-01-01 00:00:00 local time
    uint8_t lowerLimit = 0;         // half Q; 0 = none
    uint8_t upperLimit = 200;       // half Q; 200 = none
    std::array<uint8_t, 2> reserved{};
    std::vector<SSimImpact> impacts; // at most 255
};

struct SSimIdentity {
    std::string typeName = "Veltrano";
    std::string hardwareRevision = "C";
    std::string serialNumber = "VT-20417";
    uint32_t signature = 0x0702A41Cu;   // top byte: family code 7
    std::string applicationVersion = "2.14.0.3";
    std::string bootloaderVersion = "1.3.0.0";
    uint32_t hardwareId = 0x00040C21u;
};

struct SSimContent {
    SSimIdentity identity;
    // When set, sent verbatim as the information block instead of the one
    // built from the identity.
    bool hasRawInfoBlock = false;
    std::array<uint8_t, INFO_BLOCK_SIZE> rawInfoBlock{};
    std::vector<SSimSeries> series;
    std::vector<std::string> names;     // at most 50, no gaps
    bool option88 = false;              // "Store invalid measurements as zero"
    bool option88Supported = true;
    bool echo = false;                  // echo of the text layer at power-on
};

// The information block: the raw one when given, else built from the identity.
std::array<uint8_t, INFO_BLOCK_SIZE> BuildInfoBlock(const SSimContent& content);

// The series byte stream of a download: every series in order.
std::vector<uint8_t> BuildSeriesBytes(const std::vector<SSimSeries>& series);

// Bytes one series takes in the stream.
size_t SeriesByteSize(const SSimSeries& series);

// Calendar fields to the instrument's time count (and back); the count is
// plain wall-clock arithmetic, no time zone is involved.
uint32_t DateTimeToCount(int year, int month, int day, int hour, int minute, int second);
// The same count without truncation (negative before 2000, may exceed 32 bits).
int64_t DateTimeToSeconds(int year, int month, int day, int hour, int minute, int second);
void CountToDateTime(uint32_t count, int& year, int& month, int& day, int& hour, int& minute,
                     int& second);

} // namespace Sim
