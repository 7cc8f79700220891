// SPDX-License-Identifier: GPL-3.0-or-later
// The resources Brelmora keeps inside its programs and language libraries,
// read from the file as data (never loaded or executed):
//
//   ELF files (Linux programs, Brelmora_<Lang>.so): the section
//   ".brelmora_version" holds the version record, ".brelmora_strings" the
//   string table of a language library.
//   PE files (Windows programs and libraries): the version resource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

inline constexpr char kVersionSectionName[] = ".brelmora_version";
inline constexpr char kStringsSectionName[] = ".brelmora_strings";

// Version records are at most 65535 bytes (a 16-bit node length).
constexpr uint64_t kMaxVersionRecordSize = 0xFFFF;
constexpr uint64_t kMaxStringTableSize = 64u << 20;

enum class ResourceStatus {
    Found,
    NoResource,   // a readable program or library without that resource
    Unreadable,   // the file cannot be opened or is not a program or library
    Damaged,      // the file's headers contradict themselves or are cut short
};

// The version record blob of a program or library (path in UTF-8 or UTF-16).
ResourceStatus ReadVersionRecord(const std::string& path, std::vector<uint8_t>& blob);
ResourceStatus ReadVersionRecord(const std::u16string& path, std::vector<uint8_t>& blob);

// The raw string-table section of a language library.
ResourceStatus ReadStringTableSection(const std::string& path, std::vector<uint8_t>& blob);

// Path of the running program's own file.
std::string OwnExecutablePath();

} // namespace Platform
