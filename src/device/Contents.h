// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a firmware package (or of the firmware installed on an
// instrument) with their versions: SContentEntry and the list CContents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Version.h"

namespace Device {

// Flag bits of SContentEntry::flags.
enum : uint8_t {
    CONTENT_HAS_NAME = 0x02,
    CONTENT_SIZE_16B = 0x10,
    CONTENT_SIZE_4KB = 0x20,
    CONTENT_SIZE_TENTH_MB = 0x40,
};

// Part kinds produced by version lists.
enum : int32_t {
    CONTENT_APPLICATION = 1,
    CONTENT_BOOTLOADER = 3,
    CONTENT_KIND_LIMIT = 12,   // kinds of a package are below this
};

constexpr size_t CONTENT_ENTRY_SIZE = 18;

struct SContentEntry {
    uint8_t flags = 0;
    uint8_t second = 0;
    int32_t kind = 0;
    CVersion version;
    std::u16string name;       // three characters when CONTENT_HAS_NAME is set
    uint16_t value1 = 0;
    uint16_t value2 = 0;       // non-zero in a package
    std::u16string sizeText;   // "%d kB", "%0.1f MB" or "%d B" by the flags

    // Reads the 18-byte entry of a package file.
    static SContentEntry FromPackageBytes(const uint8_t* bytes);
};

class CContents {
public:
    static constexpr uint64_t kDefaultFormat = 0x0000000100000000ull;

    CContents() = default;
    CContents(const CContents&) = default;
    CContents& operator=(const CContents&) = default;

    // Appends without checks (version lists).
    void Append(const SContentEntry& entry);
    // Adds an entry read from a package: refused when its kind is 12 or more,
    // its second kept value is 0 or the announced count is reached.  Adding
    // the last announced entry makes the list complete.
    bool AddChecked(const SContentEntry& entry);
    void Clear();

    size_t GetCount() const { return m_entries.size(); }
    const SContentEntry& GetEntry(size_t index) const { return m_entries.at(index); }
    const std::vector<SContentEntry>& Entries() const { return m_entries; }

    const CVersion& GetFormatVersion() const { return m_format; }
    void SetFormatVersion(const CVersion& version) { m_format = version; }
    uint32_t GetAnnouncedCount() const { return m_announced; }
    void SetAnnouncedCount(uint32_t count) { m_announced = count; }
    bool IsComplete() const { return m_complete; }

private:
    std::vector<SContentEntry> m_entries;
    CVersion m_format{kDefaultFormat};
    uint32_t m_announced = 0;
    bool m_complete = false;
};

} // namespace Device
