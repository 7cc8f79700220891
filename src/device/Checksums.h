// SPDX-License-Identifier: GPL-3.0-or-later
// The three checksums of the instrument's block protocol, computed over the
// data bytes of an answer.  All are reflected CRCs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Device {

// CRC-8/MAXIM: polynomial 0x8C (reflected 0x31), initial 0, no final XOR.
uint8_t Crc8Maxim(const uint8_t* data, size_t length, uint8_t crc = 0);

// CRC-16/ARC: polynomial 0xA001 (reflected 0x8005), initial 0, no final XOR.
uint16_t Crc16Arc(const uint8_t* data, size_t length, uint16_t crc = 0);

// CRC-32 (IEEE 802.3): polynomial 0xEDB88320, initial 0xFFFFFFFF, final
// inversion.  `crc` continues a previous result (pass 0 to start).
uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);

} // namespace Device
