// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Checksums.h"

#include <array>

namespace Device {

namespace {

template <typename T, T Poly>
constexpr std::array<T, 256> MakeTable()
{
    std::array<T, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        T value = static_cast<T>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? static_cast<T>((value >> 1) ^ Poly) : static_cast<T>(value >> 1);
        table[i] = value;
    }
    return table;
}

constexpr auto kCrc8Table = MakeTable<uint8_t, 0x8C>();
constexpr auto kCrc16Table = MakeTable<uint16_t, 0xA001>();
constexpr auto kCrc32Table = MakeTable<uint32_t, 0xEDB88320u>();

} // namespace

uint8_t Crc8Maxim(const uint8_t* data, size_t length, uint8_t crc)
{
    for (size_t i = 0; i < length; ++i)
        crc = kCrc8Table[static_cast<uint8_t>(crc ^ data[i])];
    return crc;
}

uint16_t Crc16Arc(const uint8_t* data, size_t length, uint16_t crc)
{
    for (size_t i = 0; i < length; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ kCrc16Table[(crc ^ data[i]) & 0xFF]);
    return crc;
}

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc)
{
    crc = ~crc;
    for (size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ kCrc32Table[(crc ^ data[i]) & 0xFF];
    return ~crc;
}

} // namespace Device
