// SPDX-License-Identifier: GPL-3.0-or-later
// The version a firmware package name on the download server carries for a
// kind of part: "<text>-V<numbers separated by . or _>[<sep><tag>].lod",
// for example Unit-V1_4_0_2_APP.lod.  Tags "FW" and "APP" mark firmware
// (kind 1), "OS" the operating system (kind 2); a name without a tag fits
// every kind.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Version.h"

namespace Connection {

enum : int32_t {
    PACKAGE_KIND_FIRMWARE = 1,
    PACKAGE_KIND_OS = 2,
};

// 0 when the name does not end in "lod" (case-sensitive), has no "-V", or
// has a tag that does not fit `kind`.
CVersion PackageVersion(std::u16string_view name, int32_t kind);

} // namespace Connection
