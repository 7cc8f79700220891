// SPDX-License-Identifier: GPL-3.0-or-later
// The three checksums of the block protocol, computed over the data bytes of
// a long answer and sent little-endian after them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Sim {

// CRC-8/MAXIM: reflected polynomial 0x8C, initial value 0, no final XOR.
uint8_t Crc8Maxim(const uint8_t* data, size_t size);

// CRC-16/ARC: reflected polynomial 0xA001, initial value 0, no final XOR.
uint16_t Crc16Arc(const uint8_t* data, size_t size);

// CRC-32 (IEEE 802.3): reflected 0xEDB88320, initial 0xFFFFFFFF, final inversion.
uint32_t Crc32(const uint8_t* data, size_t size);

} // namespace Sim
