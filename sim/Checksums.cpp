// SPDX-License-Identifier: GPL-3.0-or-later
#include "Checksums.h"

#include <array>

namespace Sim {

namespace {

// One 256-entry table per reflected polynomial, built once.
template <typename T, T Poly>
const std::array<T, 256>& Table()
{
    static const std::array<T, 256> table = [] {
        std::array<T, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            T c = static_cast<T>(i);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? static_cast<T>((c >> 1) ^ Poly) : static_cast<T>(c >> 1);
            t[i] = c;
        }
        return t;
    }();
    return table;
}

template <typename T, T Poly>
T Reflected(T crc, const uint8_t* data, size_t size)
{
    const auto& t = Table<T, Poly>();
    for (size_t i = 0; i < size; ++i)
        crc = static_cast<T>(t[(crc ^ data[i]) & 0xFF] ^ (sizeof(T) > 1 ? (crc >> 8) : 0));
    return crc;
}

} // namespace

uint8_t Crc8Maxim(const uint8_t* data, size_t size)
{
    return Reflected<uint8_t, 0x8C>(0, data, size);
}

uint16_t Crc16Arc(const uint8_t* data, size_t size)
{
    return Reflected<uint16_t, 0xA001>(0, data, size);
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    return ~Reflected<uint32_t, 0xEDB88320u>(0xFFFFFFFFu, data, size);
}

} // namespace Sim
