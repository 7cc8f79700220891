// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/PackageHeader.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "streamio/IoStream.h"

namespace Device {

namespace {

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t Le64(const uint8_t* p)
{
    return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

} // namespace

void CPackageHeader::Clear()
{
    m_contents.Clear();
    m_headerValid = false;
    m_targetId = 0;
    m_packageVersion = CVersion();
    m_hardwareId = 0;
    m_checksumMode = 0;
    m_kept64 = 0;
    m_keptA = 0;
    m_keptB = 0;
    m_programHeader.fill(0);
    m_trailerValid = false;
}

bool CPackageHeader::Read(StreamIO::CIoStream& stream)
{
    try {
        return ReadFrom([&stream](uint8_t* buffer, size_t count) {
            return stream.Read(buffer, static_cast<uint32_t>(count)) == count;
        });
    } catch (const std::exception&) {
        return false;
    }
}

bool CPackageHeader::Read(const uint8_t* data, size_t size)
{
    size_t position = 0;
    return ReadFrom([&](uint8_t* buffer, size_t count) {
        if (data == nullptr || count > size - position)
            return false;
        std::memcpy(buffer, data + position, count);
        position += count;
        return true;
    });
}

bool CPackageHeader::ReadFrom(const Reader& read)
{
    uint8_t head[PACKAGE_HEAD_SIZE];
    if (!read(head, sizeof head))
        return false;
    Clear();
    static const uint8_t kMagic[4] = {0x40, 0x56, 0x6E, 0x40};
    if (std::memcmp(head, kMagic, 4) != 0 || Le32(head + 4) != 1 || Le16(head + 8) != 1)
        return false;
    const uint32_t count = Le32(head + 12);
    if (count < 1 || count > PACKAGE_MAX_ENTRIES)
        return false;
    m_contents.SetFormatVersion(CVersion(CContents::kDefaultFormat + Le16(head + 10)));
    m_contents.SetAnnouncedCount(count);
    m_headerValid = true;

    for (uint32_t i = 0; i < count; ++i) {
        uint8_t entry[CONTENT_ENTRY_SIZE];
        if (!read(entry, sizeof entry))
            return false;
        if (!m_contents.AddChecked(SContentEntry::FromPackageBytes(entry)))
            return false;
    }

    uint8_t trailer[PACKAGE_TRAILER_SIZE];
    if (!read(trailer, sizeof trailer))
        return false;
    const uint32_t target = Le32(trailer);
    const uint8_t mode = trailer[16];
    if (!m_headerValid || !m_contents.IsComplete() || target == 0 ||
        !(mode == 0 || mode == 1 || mode == 2 || mode == 4))
        return false;
    m_targetId = target;
    m_packageVersion = CVersion(Le16(trailer + 4), Le16(trailer + 6), Le16(trailer + 8), 0);
    m_hardwareId = Le32(trailer + 12);
    m_checksumMode = mode;
    m_kept64 = Le64(trailer + 17);
    m_keptA = Le16(trailer + 25);
    m_keptB = Le16(trailer + 27);
    std::copy(trailer + 33, trailer + 33 + PROGRAM_HEADER_SIZE, m_programHeader.begin());
    m_trailerValid = true;
    return true;
}

} // namespace Device
