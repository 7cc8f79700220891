// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one resource of a Windows PE file (program or library) as data:
// the resource directory (.rsrc) is walked type → name → language and the
// first entry of the requested type is returned.  Every offset is checked
// against the file before it is followed.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ByteSource.h"

namespace Platform {

enum class PeStatus {
    Found,
    NotPe,          // no "MZ" header with a "PE\0\0" signature behind it
    NoSuchResource, // a sound file without a resource of that type
    Damaged,        // headers or directories point outside the file
    TooLarge,       // the resource is larger than the caller accepts
};

constexpr uint32_t kPeResourceVersion = 16; // RT_VERSION

// True when the source starts with the "MZ" signature.
bool IsPeFile(const CByteSource& source);

// Reads the data of the first resource of `type` (first name, first language).
PeStatus ReadPeResource(const CByteSource& source, uint32_t type, std::vector<uint8_t>& content, uint64_t maxSize);

} // namespace Platform
