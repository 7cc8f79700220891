// SPDX-License-Identifier: GPL-3.0-or-later
// Small synthetic program files for the tests: an ELF file with chosen
// sections (either word size and byte order) and a PE file with a version
// resource.  Built in memory so tests can cut and damage them freely.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace TestBinaries {

struct Section {
    std::string name;
    std::vector<uint8_t> data;
    uint32_t type = 1; // SHT_PROGBITS; 8 is SHT_NOBITS
};

class CWriter {
public:
    CWriter(std::vector<uint8_t>& out, bool bigEndian) : m_out(out), m_big(bigEndian) {}
    void Put(size_t offset, uint64_t value, size_t size)
    {
        if (m_out.size() < offset + size)
            m_out.resize(offset + size);
        for (size_t i = 0; i < size; ++i) {
            const size_t shift = m_big ? (size - 1 - i) * 8 : i * 8;
            m_out[offset + i] = static_cast<uint8_t>(value >> shift);
        }
    }

private:
    std::vector<uint8_t>& m_out;
    bool m_big;
};

// Header, the sections' data, the name table, then the section headers.
inline std::vector<uint8_t> BuildElf(const std::vector<Section>& sections, bool is64 = true, bool bigEndian = false)
{
    std::vector<uint8_t> out(is64 ? 64 : 52, 0);
    CWriter w(out, bigEndian);
    out[0] = 0x7F;
    out[1] = 'E';
    out[2] = 'L';
    out[3] = 'F';
    out[4] = is64 ? 2 : 1;
    out[5] = bigEndian ? 2 : 1;
    out[6] = 1;
    std::vector<uint64_t> offsets;
    std::string names(1, '\0');
    std::vector<uint32_t> nameOffsets;
    for (const Section& s : sections) {
        offsets.push_back(out.size());
        if (s.type != 8)
            out.insert(out.end(), s.data.begin(), s.data.end());
        nameOffsets.push_back(static_cast<uint32_t>(names.size()));
        names += s.name;
        names += '\0';
    }
    const uint32_t shstrtabName = static_cast<uint32_t>(names.size());
    names += ".shstrtab";
    names += '\0';
    const uint64_t namesOffset = out.size();
    out.insert(out.end(), names.begin(), names.end());
    while (out.size() % 8 != 0)
        out.push_back(0);
    const uint64_t shoff = out.size();
    const size_t entSize = is64 ? 64 : 40;
    const size_t count = sections.size() + 2;
    out.resize(out.size() + count * entSize, 0);
    auto header = [&](size_t index, uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
        const size_t h = shoff + index * entSize;
        w.Put(h, name, 4);
        w.Put(h + 4, type, 4);
        if (is64) {
            w.Put(h + 0x18, offset, 8);
            w.Put(h + 0x20, size, 8);
        } else {
            w.Put(h + 0x10, offset, 4);
            w.Put(h + 0x14, size, 4);
        }
    };
    for (size_t i = 0; i < sections.size(); ++i)
        header(i + 1, nameOffsets[i], sections[i].type, offsets[i], sections[i].data.size());
    header(count - 1, shstrtabName, 3, namesOffset, names.size());
    if (is64) {
        w.Put(0x28, shoff, 8);
        w.Put(0x3A, entSize, 2);
        w.Put(0x3C, count, 2);
        w.Put(0x3E, count - 1, 2);
    } else {
        w.Put(0x20, shoff, 4);
        w.Put(0x2E, entSize, 2);
        w.Put(0x30, count, 2);
        w.Put(0x32, count - 1, 2);
    }
    return out;
}

// A PE file whose only section .rsrc holds one RT_VERSION resource.
inline std::vector<uint8_t> BuildPe(const std::vector<uint8_t>& versionBlob, bool pe32plus = true)
{
    std::vector<uint8_t> out(0x400, 0);
    CWriter w(out, false);
    out[0] = 'M';
    out[1] = 'Z';
    w.Put(0x3C, 0x40, 4);
    out[0x40] = 'P';
    out[0x41] = 'E';
    const size_t optionalSize = pe32plus ? 240 : 224;
    w.Put(0x44, pe32plus ? 0x8664 : 0x14C, 2);
    w.Put(0x46, 1, 2);              // one section
    w.Put(0x54, optionalSize, 2);
    const size_t opt = 0x58;
    w.Put(opt, pe32plus ? 0x20B : 0x10B, 2);
    const size_t dirs = opt + (pe32plus ? 112 : 96);
    w.Put(dirs - 4, 16, 4);         // NumberOfRvaAndSizes
    const uint32_t rva = 0x1000;
    const size_t resourceSize = 0x58 + versionBlob.size();
    w.Put(dirs + 2 * 8, rva, 4);
    w.Put(dirs + 2 * 8 + 4, resourceSize, 4);
    const size_t sec = opt + optionalSize;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (size_t i = 0; i < 8; ++i)
        out[sec + i] = static_cast<uint8_t>(name[i]);
    const size_t rawSize = (resourceSize + 0x1FF) & ~size_t{0x1FF};
    w.Put(sec + 8, resourceSize, 4);
    w.Put(sec + 12, rva, 4);
    w.Put(sec + 16, rawSize, 4);
    w.Put(sec + 20, 0x400, 4);
    out.resize(0x400 + rawSize, 0);
    const size_t r = 0x400;
    // type directory → name directory → language directory → data entry
    w.Put(r + 14, 1, 2);
    w.Put(r + 16, 16, 4);
    w.Put(r + 20, 0x80000000u | 0x18, 4);
    w.Put(r + 0x18 + 14, 1, 2);
    w.Put(r + 0x18 + 16, 1, 4);
    w.Put(r + 0x18 + 20, 0x80000000u | 0x30, 4);
    w.Put(r + 0x30 + 14, 1, 2);
    w.Put(r + 0x30 + 16, 0x409, 4);
    w.Put(r + 0x30 + 20, 0x48, 4);
    w.Put(r + 0x48, rva + 0x58, 4);
    w.Put(r + 0x48 + 4, versionBlob.size(), 4);
    std::copy(versionBlob.begin(), versionBlob.end(), out.begin() + static_cast<long>(r + 0x58));
    return out;
}

inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace TestBinaries
