// SPDX-License-Identifier: GPL-3.0-or-later
// Building a version record blob (VS_VERSIONINFO layout, see
// VersionResource.h) from its parts.  Used by the build-time generator of the
// version records and by tests that need records of a given shape.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/VersionResource.h"

namespace Platform {

struct VersionStringTable {
    std::u16string key; // "040904B0": language and code page in hex
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

struct VersionRecordLayout {
    bool hasFixedInfo = true;
    VS_FIXEDFILEINFO fixedInfo;
    std::vector<VersionStringTable> tables;          // none: no "StringFileInfo"
    std::vector<VersionTranslation> translations;    // none: no "VarFileInfo"
};

// A fixed record with the signature, structure version and flags mask set
// and the four-part versions given as 64-bit values (major in the top 16 bits).
VS_FIXEDFILEINFO MakeFixedFileInfo(uint64_t fileVersion, uint64_t productVersion, uint32_t fileType);

// Serialises the record; false (and `blob` empty) when it would exceed the
// 65535 bytes a node length can express.
bool BuildVersionResource(const VersionRecordLayout& layout, std::vector<uint8_t>& blob);

} // namespace Platform
