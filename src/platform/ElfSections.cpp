// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ElfSections.h"

#include <cstring>

namespace Platform {

namespace {

constexpr uint8_t kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
constexpr uint32_t kShtNobits = 8;
constexpr uint16_t kShnXindex = 0xFFFF;
// The section name table is read whole; real ones are a few hundred bytes.
constexpr uint64_t kMaxNameTable = 16u << 20;

// The fields of the ELF header and of one section header that we use, read
// for either word size and byte order.
class CElfReader {
public:
    explicit CElfReader(const CByteSource& source) : m_source(source) {}

    ElfStatus ReadHeader();
    ElfStatus ReadSectionHeader(uint64_t index, ElfSectionInfo& info, uint32_t& nameOffset, uint32_t& link) const;
    ElfStatus ReadNameTable(std::vector<uint8_t>& names) const;
    uint64_t SectionCount() const { return m_shnum; }

private:
    uint16_t U16(const uint8_t* p) const { return m_bigEndian ? GetBE16(p) : GetLE16(p); }
    uint32_t U32(const uint8_t* p) const { return m_bigEndian ? GetBE32(p) : GetLE32(p); }
    uint64_t U64(const uint8_t* p) const { return m_bigEndian ? GetBE64(p) : GetLE64(p); }

    const CByteSource& m_source;
    bool m_is64 = false;
    bool m_bigEndian = false;
    uint64_t m_shoff = 0;
    uint64_t m_shentsize = 0;
    uint64_t m_shnum = 0;
    uint64_t m_shstrndx = 0;
};

ElfStatus CElfReader::ReadHeader()
{
    uint8_t h[64];
    if (!m_source.ReadAt(0, h, 16) || std::memcmp(h, kElfMagic, 4) != 0)
        return ElfStatus::NotElf;
    if (h[4] != 1 && h[4] != 2)
        return ElfStatus::Damaged;
    if (h[5] != 1 && h[5] != 2)
        return ElfStatus::Damaged;
    m_is64 = h[4] == 2;
    m_bigEndian = h[5] == 2;
    const size_t headerSize = m_is64 ? 64 : 52;
    if (!m_source.ReadAt(0, h, headerSize))
        return ElfStatus::Damaged;
    uint16_t shentsize, shnum, shstrndx;
    if (m_is64) {
        m_shoff = U64(h + 0x28);
        shentsize = U16(h + 0x3A);
        shnum = U16(h + 0x3C);
        shstrndx = U16(h + 0x3E);
    } else {
        m_shoff = U32(h + 0x20);
        shentsize = U16(h + 0x2E);
        shnum = U16(h + 0x30);
        shstrndx = U16(h + 0x32);
    }
    m_shentsize = shentsize;
    m_shnum = shnum;
    m_shstrndx = shstrndx;
    if (m_shoff == 0)
        return ElfStatus::NoSuchSection; // no section table at all
    if (m_shentsize < (m_is64 ? 64u : 40u))
        return ElfStatus::Damaged;
    // Extended numbering: section 0 holds the real count and name table index.
    if (m_shnum == 0 || m_shstrndx == kShnXindex) {
        ElfSectionInfo first;
        uint32_t name, link;
        m_shnum = 1; // lets ReadSectionHeader reach entry 0
        const ElfStatus s = ReadSectionHeader(0, first, name, link);
        if (s != ElfStatus::Found)
            return s;
        if (shnum == 0)
            m_shnum = first.size;
        else
            m_shnum = shnum;
        if (shstrndx == kShnXindex)
            m_shstrndx = link;
    }
    // The whole table must lie inside the file; this also bounds the count.
    if (m_shnum > m_source.Size() / m_shentsize || !m_source.Contains(m_shoff, m_shnum * m_shentsize))
        return ElfStatus::Damaged;
    if (m_shnum != 0 && m_shstrndx >= m_shnum)
        return ElfStatus::Damaged;
    return ElfStatus::Found;
}

ElfStatus CElfReader::ReadSectionHeader(uint64_t index, ElfSectionInfo& info, uint32_t& nameOffset,
                                        uint32_t& link) const
{
    if (index >= m_shnum)
        return ElfStatus::Damaged;
    const uint64_t offset = m_shoff + index * m_shentsize; // bounded by ReadHeader
    uint8_t h[64];
    if (!m_source.ReadAt(offset, h, m_is64 ? 64 : 40))
        return ElfStatus::Damaged;
    nameOffset = U32(h);
    info.type = U32(h + 4);
    if (m_is64) {
        info.flags = U64(h + 8);
        info.offset = U64(h + 0x18);
        info.size = U64(h + 0x20);
        link = U32(h + 0x28);
    } else {
        info.flags = U32(h + 8);
        info.offset = U32(h + 0x10);
        info.size = U32(h + 0x14);
        link = U32(h + 0x18);
    }
    return ElfStatus::Found;
}

ElfStatus CElfReader::ReadNameTable(std::vector<uint8_t>& names) const
{
    ElfSectionInfo info;
    uint32_t name, link;
    const ElfStatus s = ReadSectionHeader(m_shstrndx, info, name, link);
    if (s != ElfStatus::Found)
        return s;
    if (info.type == kShtNobits || info.size > kMaxNameTable || !m_source.ReadBytes(info.offset, info.size, names))
        return ElfStatus::Damaged;
    return ElfStatus::Found;
}

std::string NameAt(const std::vector<uint8_t>& names, uint32_t offset)
{
    if (offset >= names.size())
        return std::string();
    const auto* begin = reinterpret_cast<const char*>(names.data()) + offset;
    const void* nul = std::memchr(begin, 0, names.size() - offset);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - begin) : names.size() - offset;
    return std::string(begin, length);
}

} // namespace

bool IsElfFile(const CByteSource& source)
{
    uint8_t magic[4];
    return source.ReadAt(0, magic, 4) && std::memcmp(magic, kElfMagic, 4) == 0;
}

namespace {

// Walks the section headers, handing each with its name to `visit` until it
// returns false.
template <typename Visit>
ElfStatus ForEachSection(const CByteSource& source, Visit visit)
{
    CElfReader reader(source);
    ElfStatus s = reader.ReadHeader();
    if (s != ElfStatus::Found || reader.SectionCount() == 0)
        return s;
    std::vector<uint8_t> names;
    s = reader.ReadNameTable(names);
    if (s != ElfStatus::Found)
        return s;
    for (uint64_t i = 0; i < reader.SectionCount(); ++i) {
        ElfSectionInfo info;
        uint32_t nameOffset, link;
        s = reader.ReadSectionHeader(i, info, nameOffset, link);
        if (s != ElfStatus::Found)
            return s;
        info.name = NameAt(names, nameOffset);
        if (!visit(std::move(info)))
            break;
    }
    return ElfStatus::Found;
}

} // namespace

ElfStatus ListElfSections(const CByteSource& source, std::vector<ElfSectionInfo>& sections)
{
    sections.clear();
    const ElfStatus s = ForEachSection(source, [&](ElfSectionInfo&& info) {
        sections.push_back(std::move(info));
        return true;
    });
    if (s != ElfStatus::Found)
        sections.clear();
    return s;
}

ElfStatus ReadElfSection(const CByteSource& source, std::string_view name, std::vector<uint8_t>& content,
                         uint64_t maxSize)
{
    content.clear();
    bool found = false;
    ElfSectionInfo section;
    const ElfStatus s = ForEachSection(source, [&](ElfSectionInfo&& info) {
        if (info.name != name)
            return true;
        found = true;
        section = std::move(info);
        return false;
    });
    if (s != ElfStatus::Found)
        return s;
    if (!found || section.type == kShtNobits)
        return ElfStatus::NoSuchSection; // absent, or occupies no bytes in the file
    if (!source.Contains(section.offset, section.size))
        return ElfStatus::Damaged;
    if (section.size > maxSize)
        return ElfStatus::TooLarge;
    return source.ReadBytes(section.offset, section.size, content) ? ElfStatus::Found : ElfStatus::Damaged;
}

} // namespace Platform
