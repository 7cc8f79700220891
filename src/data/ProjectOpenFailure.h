// SPDX-License-Identifier: GPL-3.0-or-later
// Why a project file could not be opened, in words for the user: the line
// that follows message 59396 ("<file>: <reason>").
#pragma once

#include <cstdint>
#include <string>

namespace ProjectOpenFailure {

// A failure to open the file: `error` is the stream's error number; a path
// that exists but is no regular file is described by what it is.
std::u16string DescribeOpenError(const std::u16string& path, uint32_t error);

// A file that opened but did not read as a project: `offset` is where the
// reading stopped; `beforeHeading` when it did not even start as one.
std::u16string DescribeDamage(const std::u16string& path, uint64_t offset, bool beforeHeading);

// Files larger than this cannot be a project: the format's lengths are
// 32-bit.
constexpr uint64_t kMaxProjectSize = 0xFFFFFFFFull;

} // namespace ProjectOpenFailure
