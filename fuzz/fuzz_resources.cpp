// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a language library or program file read as data.  The bytes
// go through the ELF section reader and the PE resource reader as a file
// would; whatever section or resource they yield (and the bytes themselves)
// go to the version-record reader and the string-table parser.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ByteSource.h"
#include "platform/ElfSections.h"
#include "platform/ExecutableResources.h"
#include "platform/LanguageTable.h"
#include "platform/PeResources.h"
#include "update/FileVersionInfo.h"

namespace {

void ReadRecord(const std::vector<uint8_t>& blob)
{
    CFileVersionInfo info;
    if (info.ReadFromData(blob.data(), blob.size())) {
        info.GetFileVersion();
        info.GetProductName();
        info.GetTranslation();
    }
}

void ReadStrings(const std::vector<uint8_t>& blob)
{
    Platform::StringMap table;
    Platform::ParseLanguageTable(blob.data(), blob.size(), table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    const Platform::CMemoryByteSource source(bytes);

    std::vector<Platform::ElfSectionInfo> sections;
    Platform::ListElfSections(source, sections);
    std::vector<uint8_t> section;
    if (Platform::ReadElfSection(source, Platform::kVersionSectionName, section, Platform::kMaxVersionRecordSize) ==
        Platform::ElfStatus::Found)
        ReadRecord(section);
    if (Platform::ReadElfSection(source, Platform::kStringsSectionName, section, 1u << 20) ==
        Platform::ElfStatus::Found)
        ReadStrings(section);
    std::vector<uint8_t> resource;
    if (Platform::ReadPeResource(source, Platform::kPeResourceVersion, resource, Platform::kMaxVersionRecordSize) ==
        Platform::PeStatus::Found)
        ReadRecord(resource);

    ReadRecord(bytes);
    ReadStrings(bytes);
    return 0;
}
