// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExecutableResources.h"

#include <climits>
#include <unistd.h>

#include "platform/ByteSource.h"
#include "platform/ElfSections.h"
#include "platform/PeResources.h"
#include "platform/Text.h"

namespace Platform {

namespace {

ResourceStatus FromElf(ElfStatus s)
{
    switch (s) {
    case ElfStatus::Found: return ResourceStatus::Found;
    case ElfStatus::NoSuchSection: return ResourceStatus::NoResource;
    case ElfStatus::NotElf: return ResourceStatus::Unreadable;
    case ElfStatus::Damaged:
    case ElfStatus::TooLarge: break;
    }
    return ResourceStatus::Damaged;
}

ResourceStatus FromPe(PeStatus s)
{
    switch (s) {
    case PeStatus::Found: return ResourceStatus::Found;
    case PeStatus::NoSuchResource: return ResourceStatus::NoResource;
    case PeStatus::NotPe: return ResourceStatus::Unreadable;
    case PeStatus::Damaged:
    case PeStatus::TooLarge: break;
    }
    return ResourceStatus::Damaged;
}

} // namespace

ResourceStatus ReadVersionRecord(const std::string& path, std::vector<uint8_t>& blob)
{
    blob.clear();
    CFileByteSource file;
    if (file.Open(path) != 0)
        return ResourceStatus::Unreadable;
    ResourceStatus s = ResourceStatus::Unreadable;
    if (IsElfFile(file))
        s = FromElf(ReadElfSection(file, kVersionSectionName, blob, kMaxVersionRecordSize));
    else if (IsPeFile(file))
        s = FromPe(ReadPeResource(file, kPeResourceVersion, blob, kMaxVersionRecordSize));
    if (s != ResourceStatus::Found)
        blob.clear();
    return s;
}

ResourceStatus ReadVersionRecord(const std::u16string& path, std::vector<uint8_t>& blob)
{
    return ReadVersionRecord(ToUtf8(path), blob);
}

ResourceStatus ReadStringTableSection(const std::string& path, std::vector<uint8_t>& blob)
{
    blob.clear();
    CFileByteSource file;
    if (file.Open(path) != 0)
        return ResourceStatus::Unreadable;
    const ResourceStatus s = FromElf(ReadElfSection(file, kStringsSectionName, blob, kMaxStringTableSize));
    if (s != ResourceStatus::Found)
        blob.clear();
    return s;
}

std::string OwnExecutablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "/proc/self/exe";
    return std::string(buffer, static_cast<size_t>(n));
}

} // namespace Platform
