// SPDX-License-Identifier: GPL-3.0-or-later
// CPackageHeader: the head of a firmware package file (.lod): the list of
// its parts and the trailer with the data needed to program an instrument.
//
// Layout (little-endian): "@Vn@", 32-bit 1, 16-bit 1, 16-bit format number,
// 32-bit entry count (1..2000), 18 bytes per entry, 161-byte trailer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "device/Contents.h"

namespace StreamIO {
class CIoStream;
}

namespace Device {

constexpr size_t PACKAGE_HEAD_SIZE = 16;
constexpr size_t PACKAGE_TRAILER_SIZE = 161;
constexpr uint32_t PACKAGE_MAX_ENTRIES = 2000;
constexpr size_t PROGRAM_HEADER_SIZE = 128;

class CPackageHeader {
public:
    // Reads the head from the stream's current position.  Stream exceptions
    // make the read fail.
    bool Read(StreamIO::CIoStream& stream);
    // Reads the head from bytes in memory.
    bool Read(const uint8_t* data, size_t size);

    void Clear();

    const CContents& GetContents() const { return m_contents; }
    bool IsHeaderValid() const { return m_headerValid; }
    bool IsTrailerValid() const { return m_trailerValid; }
    uint32_t GetTargetId() const { return m_targetId; }
    const CVersion& GetPackageVersion() const { return m_packageVersion; }
    uint32_t GetHardwareId() const { return m_hardwareId; }
    uint8_t GetChecksumMode() const { return m_checksumMode; }
    uint64_t GetKeptValue64() const { return m_kept64; }
    uint16_t GetKeptValueA() const { return m_keptA; }
    uint16_t GetKeptValueB() const { return m_keptB; }
    const std::array<uint8_t, PROGRAM_HEADER_SIZE>& GetProgramHeader() const { return m_programHeader; }

private:
    // Reads exactly `count` bytes; false when fewer came.
    using Reader = std::function<bool(uint8_t* buffer, size_t count)>;
    bool ReadFrom(const Reader& read);

    CContents m_contents;
    bool m_headerValid = false;
    uint32_t m_targetId = 0;
    CVersion m_packageVersion;
    uint32_t m_hardwareId = 0;
    uint8_t m_checksumMode = 0;
    uint64_t m_kept64 = 0;
    uint16_t m_keptA = 0;
    uint16_t m_keptB = 0;
    std::array<uint8_t, PROGRAM_HEADER_SIZE> m_programHeader{};
    bool m_trailerValid = false;
};

} // namespace Device
