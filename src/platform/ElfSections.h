// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a named section of an ELF file (32 or 64 bit, either byte order)
// by reading the file as data.  The file is never loaded or executed; every
// offset, size and count it declares is checked against the real file size
// before it is used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteSource.h"

namespace Platform {

enum class ElfStatus {
    Found,          // the section exists and its bytes were read
    NotElf,         // the data does not start with an ELF identification
    NoSuchSection,  // a sound ELF file without that section (or without file data for it)
    Damaged,        // headers point outside the file or contradict themselves
    TooLarge,       // the section is larger than the caller accepts
};

struct ElfSectionInfo {
    std::string name;
    uint32_t type = 0;
    uint64_t flags = 0;
    uint64_t offset = 0; // in the file
    uint64_t size = 0;
};

// True when the source starts with the ELF magic number.
bool IsElfFile(const CByteSource& source);

// Every section header with its name, in file order.
ElfStatus ListElfSections(const CByteSource& source, std::vector<ElfSectionInfo>& sections);

// Reads the first section called `name` into `content`.  Sections larger
// than `maxSize` are refused (TooLarge) before anything is allocated.
ElfStatus ReadElfSection(const CByteSource& source, std::string_view name,
                         std::vector<uint8_t>& content, uint64_t maxSize);

} // namespace Platform
