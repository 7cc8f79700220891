// SPDX-License-Identifier: GPL-3.0-or-later
// The records of one measurement series: one impact (MEAS_T), the 29-byte head
// of a series (SERIES_HEAD_T), the instrument's 128-byte information block
// (DEVICE_INFO_T) and the in-memory series (probe_meas_t).
//
// The byte layouts travel in instrument downloads, project files and clipboard
// data; they are little-endian and packed.  Records are converted to and from
// bytes field by field (LoadHead/StoreHead, ...), never by casting a buffer, so
// the code is portable and free of alignment and aliasing traps.  Fields of
// the packed records may sit at odd addresses: read them by value, never bind
// a reference or pointer to one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#pragma pack(push, 1)

// One impact.
struct MEAS_T {
    uint8_t value = 0;    // impact value in 0.5 Q steps
    uint16_t energy = 0;  // impact energy in thousandths
    uint8_t status = 0;   // carried unchanged
};

// The head of one series as stored in project files and clipboard data.
struct SERIES_HEAD_T {
    uint8_t rollId[16] = {};     // 8-bit characters, NUL-padded
    uint16_t counter = 0;        // the instrument's impact counter
    uint32_t dateTime = 0;       // seconds since 2000-01-01 00:00:00 local time
    uint8_t impactCount = 0;     // number of MEAS_T that follow
    uint8_t rFlag = 0;           // 0 Q, 1 R, else unknown unit
    uint8_t factor = 0;          // Q to R factor in 0.5 % steps (200 = 100 %)
    uint8_t lowerLimit = 0;      // 0.5 Q steps; 0 = no lower limit
    uint8_t upperLimit = 0;      // 0.5 Q steps; 200 = no upper limit
    uint8_t reserved[2] = {};    // written as 0
};

// The instrument's information block, kept verbatim.
struct DEVICE_INFO_T {
    uint8_t bytes[128] = {};
};

#pragma pack(pop)

static_assert(sizeof(MEAS_T) == 4, "MEAS_T is 4 bytes");
static_assert(sizeof(SERIES_HEAD_T) == 29, "SERIES_HEAD_T is 29 bytes");
static_assert(sizeof(DEVICE_INFO_T) == 128, "DEVICE_INFO_T is 128 bytes");

namespace SeriesBytes {

constexpr size_t kMeasSize = 4;
constexpr size_t kHeadSize = 29;
constexpr size_t kInfoSize = 128;
constexpr size_t kRollIdSize = 16;
constexpr size_t kShortRollIdSize = 13;   // project format 1

// Offsets of the five device texts in the information block: the serial
// number first, then the instrument's other texts.
constexpr std::array<size_t, 5> kDeviceTextOffsets = {34, 2, 48, 62, 64};
constexpr int kDeviceTextCount = 5;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<uint8_t>(v >> (8 * k));
}

// 4 bytes <-> MEAS_T.
MEAS_T LoadMeas(const uint8_t* p);
void StoreMeas(const MEAS_T& m, uint8_t* p);

// 29 bytes <-> SERIES_HEAD_T (reserved bytes are written as 0).
SERIES_HEAD_T LoadHead(const uint8_t* p);
void StoreHead(const SERIES_HEAD_T& h, uint8_t* p);

// The 8-bit text at `offset` of the block, up to the first NUL or the end of
// the block, each byte taken as one character code.
std::u16string DeviceText(const DEVICE_INFO_T& info, size_t offset);

} // namespace SeriesBytes

// The five device texts of a series.  Every series of a collection normally
// holds the same texts (those of the collection's information block), so the
// series share one immutable copy and only a series whose texts differ gets
// its own.
using DeviceTexts = std::array<std::u16string, SeriesBytes::kDeviceTextCount>;
using SharedDeviceTexts = std::shared_ptr<const DeviceTexts>;

// One series in memory, owned by its collection.
struct probe_meas_t {
    SERIES_HEAD_T head;
    std::vector<MEAS_T> impacts;     // in measurement order
    std::u16string rollId;
    std::u16string comment;
    SharedDeviceTexts deviceTexts;   // never null
    int16_t graphOrder = -1;         // -1 unset, 0 measurement order, 1 by value
    bool autoAxis = true;            // false: fixed value axis 0..90
    bool expanded = false;           // the table's detail row is open
    bool inSummary = true;           // used by the summary statistics

    probe_meas_t();
};
