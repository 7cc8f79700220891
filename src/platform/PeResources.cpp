// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PeResources.h"

#include <algorithm>

namespace Platform {

namespace {

constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSubdirectoryBit = 0x80000000u;
constexpr uint32_t kNameIsStringBit = 0x80000000u;

struct PeSection {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
};

class CPeReader {
public:
    explicit CPeReader(const CByteSource& source) : m_source(source) {}

    PeStatus ReadHeaders();
    PeStatus ReadResource(uint32_t type, std::vector<uint8_t>& content, uint64_t maxSize) const;

private:
    // File offset of `count` bytes at `rva`, when they lie in one section's file data.
    bool RvaToOffset(uint32_t rva, uint32_t count, uint64_t& offset) const;
    // Entry of a resource directory: the first one with `id` (or the first of
    // all when `id` is negative).  `dirOffset` is relative to the resource base.
    PeStatus FindEntry(uint32_t dirOffset, int64_t id, uint32_t& target) const;
    bool ReadResourceBytes(uint64_t offset, void* buffer, size_t count) const;

    const CByteSource& m_source;
    std::vector<PeSection> m_sections;
    uint32_t m_resourceRva = 0;
    uint32_t m_resourceSize = 0;
    uint64_t m_resourceOffset = 0; // file offset of the resource directory
    uint64_t m_resourceLimit = 0;  // bytes available from there in its section
};

PeStatus CPeReader::ReadHeaders()
{
    uint8_t dos[64];
    if (!m_source.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return PeStatus::NotPe;
    const uint32_t peOffset = GetLE32(dos + 0x3C);
    uint8_t coff[24];
    if (!m_source.ReadAt(peOffset, coff, sizeof coff) || coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 || coff[3] != 0)
        return PeStatus::NotPe;
    const uint16_t sectionCount = GetLE16(coff + 6);
    const uint16_t optionalSize = GetLE16(coff + 20);
    const uint64_t optionalOffset = static_cast<uint64_t>(peOffset) + 24;
    std::vector<uint8_t> optional;
    if (!m_source.ReadBytes(optionalOffset, optionalSize, optional) || optional.size() < 2)
        return PeStatus::Damaged;
    const uint16_t magic = GetLE16(optional.data());
    size_t countOffset;
    if (magic == 0x10B)
        countOffset = 92; // PE32
    else if (magic == 0x20B)
        countOffset = 108; // PE32+
    else
        return PeStatus::Damaged;
    if (optional.size() < countOffset + 4)
        return PeStatus::Damaged;
    const uint32_t directoryCount = GetLE32(optional.data() + countOffset);
    const size_t entryOffset = countOffset + 4 + kResourceDirectoryIndex * 8;
    if (directoryCount <= kResourceDirectoryIndex || optional.size() < entryOffset + 8)
        return PeStatus::NoSuchResource;
    m_resourceRva = GetLE32(optional.data() + entryOffset);
    m_resourceSize = GetLE32(optional.data() + entryOffset + 4);
    if (m_resourceRva == 0 || m_resourceSize == 0)
        return PeStatus::NoSuchResource;

    std::vector<uint8_t> table;
    if (!m_source.ReadBytes(optionalOffset + optionalSize, static_cast<uint64_t>(sectionCount) * 40, table))
        return PeStatus::Damaged;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint8_t* h = table.data() + static_cast<size_t>(i) * 40;
        PeSection s;
        s.virtualSize = GetLE32(h + 8);
        s.virtualAddress = GetLE32(h + 12);
        s.rawSize = GetLE32(h + 16);
        s.rawOffset = GetLE32(h + 20);
        m_sections.push_back(s);
    }
    // The directory itself: where it starts in the file and how far its
    // section's file data reaches.
    for (const PeSection& s : m_sections) {
        if (m_resourceRva >= s.virtualAddress && m_resourceRva - s.virtualAddress < s.rawSize) {
            const uint32_t delta = m_resourceRva - s.virtualAddress;
            m_resourceOffset = static_cast<uint64_t>(s.rawOffset) + delta;
            m_resourceLimit = std::min<uint64_t>(s.rawSize - delta, m_resourceSize);
            if (!m_source.Contains(m_resourceOffset, m_resourceLimit))
                return PeStatus::Damaged;
            return PeStatus::Found;
        }
    }
    return PeStatus::Damaged;
}

bool CPeReader::RvaToOffset(uint32_t rva, uint32_t count, uint64_t& offset) const
{
    for (const PeSection& s : m_sections) {
        if (rva < s.virtualAddress)
            continue;
        const uint64_t delta = rva - s.virtualAddress;
        if (delta >= s.rawSize || count > s.rawSize - delta)
            continue;
        offset = s.rawOffset + delta;
        return m_source.Contains(offset, count);
    }
    return false;
}

bool CPeReader::ReadResourceBytes(uint64_t offset, void* buffer, size_t count) const
{
    if (offset > m_resourceLimit || count > m_resourceLimit - offset)
        return false;
    return m_source.ReadAt(m_resourceOffset + offset, buffer, count);
}

PeStatus CPeReader::FindEntry(uint32_t dirOffset, int64_t id, uint32_t& target) const
{
    uint8_t dir[16];
    if (!ReadResourceBytes(dirOffset, dir, sizeof dir))
        return PeStatus::Damaged;
    const uint32_t named = GetLE16(dir + 12);
    const uint32_t total = named + GetLE16(dir + 14);
    for (uint32_t i = 0; i < total; ++i) {
        uint8_t entry[8];
        if (!ReadResourceBytes(uint64_t{dirOffset} + 16 + uint64_t{i} * 8, entry, sizeof entry))
            return PeStatus::Damaged;
        const uint32_t name = GetLE32(entry);
        if (id >= 0 && ((name & kNameIsStringBit) != 0 || name != static_cast<uint32_t>(id)))
            continue;
        target = GetLE32(entry + 4);
        return PeStatus::Found;
    }
    return PeStatus::NoSuchResource;
}

PeStatus CPeReader::ReadResource(uint32_t type, std::vector<uint8_t>& content, uint64_t maxSize) const
{
    // Type, then name, then language: the first two lead to directories, the
    // third to a data entry.
    uint32_t target = 0;
    PeStatus s = FindEntry(0, type, target);
    for (int level = 1; s == PeStatus::Found && level < 3; ++level) {
        if ((target & kSubdirectoryBit) == 0)
            return PeStatus::Damaged;
        s = FindEntry(target & ~kSubdirectoryBit, -1, target);
    }
    if (s != PeStatus::Found)
        return s;
    if ((target & kSubdirectoryBit) != 0)
        return PeStatus::Damaged;
    uint8_t data[16];
    if (!ReadResourceBytes(target, data, sizeof data))
        return PeStatus::Damaged;
    const uint32_t rva = GetLE32(data);
    const uint32_t size = GetLE32(data + 4);
    uint64_t offset = 0;
    if (!RvaToOffset(rva, size, offset))
        return PeStatus::Damaged;
    if (size > maxSize)
        return PeStatus::TooLarge;
    return m_source.ReadBytes(offset, size, content) ? PeStatus::Found : PeStatus::Damaged;
}

} // namespace

bool IsPeFile(const CByteSource& source)
{
    uint8_t mz[2];
    return source.ReadAt(0, mz, 2) && mz[0] == 'M' && mz[1] == 'Z';
}

PeStatus ReadPeResource(const CByteSource& source, uint32_t type, std::vector<uint8_t>& content, uint64_t maxSize)
{
    content.clear();
    CPeReader reader(source);
    const PeStatus s = reader.ReadHeaders();
    if (s != PeStatus::Found)
        return s;
    return reader.ReadResource(type, content, maxSize);
}

} // namespace Platform
